// Who may change what a task running as SYSTEM runs or reads: SYSTEM and
// the Administrators alone. The owner and access list of a file or folder
// come as SDDL text, as the system writes it
// (ConvertSecurityDescriptorToStringSecurityDescriptorW).
#pragma once

// The folder Varnick keeps such files in: owned by Administrators, full
// control for SYSTEM and Administrators, passed on to what is made inside,
// and nothing inherited from above.
extern const char16_t kProtectedFolderSddl[];
// A file Varnick makes there: the same, for the file alone.
extern const char16_t kProtectedFileSddl[];

// Whether the security admits no one but SYSTEM and Administrators: its
// owner is one of them (SY, BA, or S-1-5-18, S-1-5-32-544), and every ACE
// of its access list that is not a deny grants one of them alone, inherited
// and inherit-only ACEs too. An access list that is missing or NULL admits
// everyone; one that is empty admits the owner alone. Text that does not
// read as such is refused.
bool AdmitsNoOneElse(const char16_t* sddl);
