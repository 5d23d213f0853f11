#include "core/protected_access.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Whether an owner and access list, as the system writes them, let anyone
// but SYSTEM and Administrators change what they guard.
TEST(ProtectedAccess, OnlySystemAndAdministratorsAreAdmitted) {
  const struct {
    const char16_t* sddl;
    bool admitted;
    const char* why;
  } cases[] = {
      {kProtectedFolderSddl, true, "the folder Varnick makes"},
      {kProtectedFileSddl, true, "a file Varnick makes"},
      {u"O:SYG:SYD:(A;ID;FA;;;SY)(A;ID;FA;;;BA)", true, "inherited from a protected folder"},
      {u"O:S-1-5-18D:AI(A;;FA;;;S-1-5-32-544)(A;;0x1200a9;;;s-1-5-18)", true, "SIDs in full"},
      {u"O:BAD:", true, "an empty access list admits the owner alone"},
      {u"O:BAD:P(D;;FA;;;BU)(A;;FA;;;SY)", true, "a deny ACE for Users"},
      {u"O:BAD:(XD;;FA;;;WD;(Member_of {SID(BU)}))(A;;FA;;;BA)", true, "a conditional deny"},
      {u"O:BAG:DUD:PAI(A;;FA;;;SY)S:AI(AU;SA;FA;;;WD)", true, "group and audit ACEs do not count"},
      {u"O:S-1-5-21-1-2-3-1001D:P(A;;FA;;;SY)(A;;FA;;;BA)", false, "owned by a user"},
      {u"O:S-1-5-21-1-2-3-1001D:(A;ID;FA;;;S-1-5-21-1-2-3-1001)(A;ID;FA;;;SY)", false,
       "made by a user in ProgramData"},
      {u"O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)", false, "Users may read"},
      {u"O:BAD:(A;;FA;;;SY)(A;;FA;;;WD)", false, "Everyone"},
      {u"O:BAD:(A;;FA;;;SY)(A;;FR;;;AU)", false, "Authenticated Users, generic rights"},
      {u"O:BAD:(A;OICIIO;GA;;;CO)(A;;FA;;;SY)", false, "an inherit-only ACE for CREATOR OWNER"},
      {u"O:BAD:(A;ID;0x1301bf;;;BU)", false, "an inherited ACE for Users"},
      {u"O:BAD:(OA;;CC;bf967aba-0de6-11d0-a285-00aa003049e2;;BU)", false, "an object ACE"},
      {u"O:BAD:(XA;;FA;;;WD;(Member_of {SID(BA)}))", false, "a conditional allow for Everyone"},
      {u"O:BAD:NO_ACCESS_CONTROL", false, "a NULL access list"},
      {u"O:BA", false, "no access list"},
      {u"D:P(A;;FA;;;SY)", false, "no owner"},
      {u"O:S-1-5-32-5440D:(A;;FA;;;SY)", false, "a longer SID than Administrators'"},
      {u"O:BAD:(A;;FA;;;S-1-5-18-1)", false, "a longer SID than SYSTEM's"},
      {u"O:BAD:(A;;FA;;;SY", false, "an ACE not closed"},
      {u"O:BAD:(A;;FA;;SY)", false, "an ACE with a field missing"},
      {u"O:BAD:X(A;;FA;;;SY)", false, "an unknown flag"},
      {u"O:BAQ:D:(A;;FA;;;SY)", false, "an unknown section"},
      {u"", false, "nothing"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.admitted, AdmitsNoOneElse(c.sddl)) << c.why;
  }
}

}  // namespace
