#include "core/protected_access.h"

#include "base/text.h"

const char16_t kProtectedFolderSddl[] = u"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
const char16_t kProtectedFileSddl[] = u"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

namespace {

// A part of the text: [begin, end).
struct Span {
  const char16_t* begin;
  const char16_t* end;
};

bool Equals(Span span, const char16_t* text) {
  const char16_t* p = span.begin;
  for (; p < span.end && *text != 0; p++, text++) {
    if (TextFoldAscii(*p) != TextFoldAscii(*text)) return false;
  }
  return p == span.end && *text == 0;
}

// SYSTEM or Administrators, by alias or in full.
bool Trusted(Span sid) {
  return Equals(sid, u"SY") || Equals(sid, u"BA") || Equals(sid, u"S-1-5-18") ||
         Equals(sid, u"S-1-5-32-544");
}

// A section starts with its letter and a colon ("O:", "G:", "D:", "S:").
bool SectionAt(const char16_t* p) { return p[0] != 0 && p[1] == u':'; }

// Up to the next section, or the end.
Span Token(const char16_t** p) {
  Span span = {*p, *p};
  while (*span.end != 0 && *span.end != u'(' && !SectionAt(span.end)) span.end++;
  *p = span.end;
  return span;
}

// One "(type;flags;rights;object;inherited object;sid[;...])" at *p: its
// type and trustee, *p behind it. A conditional ACE's expression may hold
// parentheses of its own. false for an ACE that does not read.
bool ReadAce(const char16_t** p, Span* type, Span* sid) {
  const char16_t* at = *p + 1;
  Span fields[6];
  int field = 0, depth = 1;
  fields[0].begin = at;
  for (; *at != 0; at++) {
    if (*at == u'(') depth++;
    if (*at == u')' && --depth == 0) break;
    if (*at == u';' && depth == 1) {
      if (field < 6) fields[field].end = at;
      if (++field < 6) fields[field].begin = at + 1;
    }
  }
  if (*at != u')' || field < 5) return false;
  if (field == 5) fields[5].end = at;
  *type = fields[0];
  *sid = fields[5];
  *p = at + 1;
  return true;
}

}  // namespace

bool AdmitsNoOneElse(const char16_t* sddl) {
  bool trustedOwner = false, hasDacl = false;
  const char16_t* p = sddl;
  while (*p != 0) {
    if (!SectionAt(p)) return false;
    char16_t section = p[0];
    p += 2;
    Span token = Token(&p);
    if (section == u'O') {
      trustedOwner = Trusted(token);
    } else if (section == u'D') {
      // Flags: protected, auto-inherit; NO_ACCESS_CONTROL is a NULL DACL.
      for (const char16_t* f = token.begin; f < token.end;) {
        if (*f == u'P') {
          f++;
        } else if (f + 1 < token.end && f[0] == u'A' && (f[1] == u'I' || f[1] == u'R')) {
          f += 2;
        } else {
          return false;
        }
      }
      hasDacl = true;
    } else if (section != u'G' && section != u'S') {
      return false;
    }
    while (*p == u'(') {
      Span type, sid;
      if (!ReadAce(&p, &type, &sid)) return false;
      bool deny = Equals(type, u"D") || Equals(type, u"OD") || Equals(type, u"XD");
      if (section == u'D' && !deny && !Trusted(sid)) return false;
    }
    if (*p != 0 && !SectionAt(p)) return false;
  }
  return trustedOwner && hasDacl;
}
