// The file an elevated process rewrites, on the real system: while the
// program holds it, nobody else can rename, delete or write it; its
// content is replaced whole; its links are counted; a directory is never
// opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/os.h"

namespace {

// What the journal is made with: owned by the Administrators, SYSTEM and
// they alone admitted.
const char16_t kSddl[] = u"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

TEST(FileToRewrite, WhileHeldItKeepsItsNameAndGetsItsContentWhole) {
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::string path = std::string(program) + ".rewrite-test.ini";
  const std::string other = path + ".other", folder = path + ".folder";
  DeleteFileA(path.c_str());
  DeleteFileA(other.c_str());

  OsFile file = 0;
  ASSERT_EQ(kOsErrorSuccess, OsOpenFileToRewrite(path.c_str(), &file));  // created
  ASSERT_NE(0u, file);
  OsFileFacts facts = {};
  ASSERT_EQ(kOsErrorSuccess, OsGetFileFacts(file, &facts));
  EXPECT_EQ(0u, facts.attributes & (kOsFileAttributeDirectory | kOsFileAttributeReparsePoint));
  EXPECT_EQ(1u, facts.links);
  EXPECT_EQ(0u, facts.size);
  ASSERT_EQ(kOsErrorSuccess, OsReplaceFileContent(file, "a longer text", 13));
  ASSERT_EQ(kOsErrorSuccess, OsReplaceFileContent(file, "short", 5));

  EXPECT_FALSE(MoveFileExA(path.c_str(), other.c_str(), 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);

  char start[8] = {};
  EXPECT_EQ(kOsErrorSuccess, OsReadFileStart(file, start, 5));
  EXPECT_EQ("short", std::string(start));
  EXPECT_EQ(kOsErrorHandleEof, OsReadFileStart(file, start, 6));  // only five bytes are there
  OsCloseFile(file);

  ASSERT_TRUE(CreateHardLinkA(other.c_str(), path.c_str(), nullptr));
  ASSERT_EQ(kOsErrorSuccess, OsOpenFileToRewrite(path.c_str(), &file));
  ASSERT_NE(0u, file);
  ASSERT_EQ(kOsErrorSuccess, OsGetFileFacts(file, &facts));
  EXPECT_EQ(2u, facts.links);
  OsCloseFile(file);

  CreateDirectoryA(folder.c_str(), nullptr);
  EXPECT_NE(kOsErrorSuccess, OsOpenFileToRewrite(folder.c_str(), &file));
  EXPECT_EQ(0u, file);
  RemoveDirectoryA(folder.c_str());
  DeleteFileA(path.c_str());
  DeleteFileA(other.c_str());
}

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string Content(const std::string& path) {
  std::string text(64, 0);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  DWORD read = 0;
  if (file != INVALID_HANDLE_VALUE) {
    ReadFile(file, &text[0], 64, &read, nullptr);
    CloseHandle(file);
  }
  return file == INVALID_HANDLE_VALUE ? "-" : text.substr(0, read);
}

// The journal's file: appended at its end however often it is opened,
// nobody else writing, renaming or deleting it while it is held; its links
// counted; a missing folder said as such; renamed over an older file.
TEST(FileToAppend, AppendsAtTheEndAndRenamesOverAnOlderFile) {
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::string path = std::string(program) + ".append-test.csv";
  const std::string old = path + ".old", link = path + ".link";
  DeleteFileA(path.c_str());
  DeleteFileA(link.c_str());
  for (const char* text : {"one\r\n", "two\r\n"}) {
    OsFile file = 0;
    ASSERT_EQ(kOsErrorSuccess, OsOpenFileToAppend(Wide(path).c_str(), kSddl, &file));
    EXPECT_EQ(kOsErrorSuccess, OsAppendToFile(file, text, 5));
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    OsCloseFile(file);
  }
  EXPECT_EQ("one\r\ntwo\r\n", Content(path));

  ASSERT_TRUE(CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
  OsFile file = 0;
  ASSERT_EQ(kOsErrorSuccess, OsOpenFileToAppend(Wide(path).c_str(), kSddl, &file));
  OsFileFacts facts = {};
  ASSERT_EQ(kOsErrorSuccess, OsGetFileFacts(file, &facts));
  EXPECT_EQ(2u, facts.links);
  EXPECT_EQ(10u, facts.size);
  OsCloseFile(file);
  DeleteFileA(link.c_str());

  EXPECT_EQ(kOsErrorPathNotFound,
            OsOpenFileToAppend(Wide(path + ".missing\\journal.csv").c_str(), kSddl, &file));
  EXPECT_EQ(0u, file);

  HANDLE older = CreateFileA(old.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(older);
  EXPECT_EQ(kOsErrorSuccess, OsRenameFile(Wide(path).c_str(), Wide(old).c_str()));
  EXPECT_EQ("-", Content(path));
  EXPECT_EQ("one\r\ntwo\r\n", Content(old));
  EXPECT_EQ(kOsErrorFileNotFound, OsRenameFile(Wide(path).c_str(), Wide(old).c_str()));
  DeleteFileA(old.c_str());
}

// The journal's lock: a file one open holds; another open of it, from any
// thread or process, is refused until the first is closed.
TEST(LockFile, IsHeldByOneOpenAtATime) {
  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::u16string path = Wide(std::string(program) + ".lock-test");
  OsFile held = 0, other = 0;
  ASSERT_EQ(kOsErrorSuccess, OsOpenFileToLock(path.c_str(), kSddl, &held));
  EXPECT_EQ(kOsErrorSharingViolation, OsOpenFileToLock(path.c_str(), kSddl, &other));
  EXPECT_EQ(0u, other);
  OsCloseFile(held);
  ASSERT_EQ(kOsErrorSuccess, OsOpenFileToLock(path.c_str(), kSddl, &other));
  OsCloseFile(other);
  DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str()));
}

}  // namespace
