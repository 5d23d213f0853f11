// The program's own folder on the real system: made with the owner and
// access list asked for, read back so that only SYSTEM and Administrators
// are admitted, looked at as itself and held against deletion while it is.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/protected_access.h"
#include "platform/os.h"

namespace {

std::u16string Wide(const char* text) {
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH);
  return std::u16string(reinterpret_cast<const char16_t*>(wide));
}

std::u16string Security(OsFile file) {
  char16_t sddl[1024];
  EXPECT_EQ(kOsErrorSuccess, OsReadSecurity(file, sddl, 1024));
  return sddl;
}

TEST(ProtectedFolder, IsMadeForSystemAndAdministratorsAlone) {
  char16_t programData[MAX_PATH];
  uint32_t length = 0;
  ASSERT_EQ(kOsErrorSuccess, OsProgramDataFolder(programData, MAX_PATH, &length));
  EXPECT_EQ(std::u16string(programData).size(), length);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES == GetFileAttributesW(reinterpret_cast<wchar_t*>(programData)),
            false);

  char program[MAX_PATH];
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const std::u16string folder = Wide(program) + u".kept-test";
  const std::u16string file = folder + u"\\kept.txt";
  DeleteFileW(reinterpret_cast<const wchar_t*>(file.c_str()));
  RemoveDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()));

  OsFile held = 0;
  EXPECT_EQ(kOsErrorFileNotFound, OsOpenToInspect(folder.c_str(), &held));
  ASSERT_EQ(kOsErrorSuccess, OsCreateFolder(folder.c_str(), kProtectedFolderSddl));
  EXPECT_EQ(kOsErrorAlreadyExists, OsCreateFolder(folder.c_str(), kProtectedFolderSddl));
  ASSERT_EQ(kOsErrorSuccess, OsOpenToInspect(folder.c_str(), &held));
  OsFileFacts facts = {};
  ASSERT_EQ(kOsErrorSuccess, OsGetFileFacts(held, &facts));
  EXPECT_EQ(kOsFileAttributeDirectory,
            facts.attributes & (kOsFileAttributeDirectory | kOsFileAttributeReparsePoint));
  std::u16string sddl = Security(held);
  EXPECT_TRUE(AdmitsNoOneElse(sddl.c_str())) << std::string(sddl.begin(), sddl.end());

  OsFile kept = 0;
  ASSERT_EQ(kOsErrorSuccess, OsOpenFileToKeep(file.c_str(), kProtectedFileSddl, &kept));
  ASSERT_EQ(kOsErrorSuccess, OsReplaceFileContent(kept, "plan", 4));
  sddl = Security(kept);
  EXPECT_TRUE(AdmitsNoOneElse(sddl.c_str())) << std::string(sddl.begin(), sddl.end());
  OsCloseFile(kept);

  // Held as itself, the file can be neither deleted nor renamed.
  ASSERT_EQ(kOsErrorSuccess, OsOpenToInspect(file.c_str(), &kept));
  EXPECT_EQ(kOsErrorSharingViolation, OsDeleteFile(file.c_str()));
  OsCloseFile(kept);
  EXPECT_EQ(kOsErrorSuccess, OsDeleteFile(file.c_str()));
  EXPECT_EQ(kOsErrorFileNotFound, OsDeleteFile(file.c_str()));
  OsCloseFile(held);
  EXPECT_TRUE(RemoveDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str())));
}

}  // namespace
