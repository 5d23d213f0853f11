// The file an elevated process rewrites, on the real system: while the
// program holds it, nobody else can rename, delete or write it; its
// content is replaced whole; its links are counted; a directory is never
// opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/os.h"

namespace {

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

}  // namespace
