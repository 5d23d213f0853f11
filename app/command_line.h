// The process command line: the argument text behind the program name, the
// batch switches, and the start-up show command.
#pragma once

#include <stdint.h>

#include "app/program_name.h"

// Room for one word of the argument text; a longer one is cut, and is no
// switch.
const uint32_t kWordUnits = 264;

struct BatchSwitches {
  int32_t clearSwitch;   // "/c" or "-c": clear unused reservations
  int32_t removeSwitch;  // "/r" or "-r": remove non-present devices
  int32_t listSwitch;    // "/l" or "-l": list the ports and devices, change nothing
  int32_t dryRunSwitch;  // "/n" or "-n": tell what /c and /r would change, change nothing
  int32_t quietSwitch;   // "/q" or "-q": show no message box
  int32_t usageSwitch;   // "/?", "/h" and their "-" forms: tell how to call the program
  // "/m DEVICE COMn" pairs: give a serial port another number. The pairs
  // are read again, in their order, from moveText.
  int32_t moveCount;
  const char16_t* moveText;
  // "/apply FILE": make this machine match the number plan in FILE.
  int32_t applySwitch;
  char16_t planPath[kWordUnits];
  // "/export [FILE]": write this machine's number plan to FILE, or to
  // standard output when no file follows.
  int32_t exportSwitch;
  char16_t exportPath[kWordUnits];
  // "/autoapply [FILE|off]": have a scheduled task keep this machine
  // matching the plan in FILE, remove that task ("off", in any case), or
  // tell what is kept (no word, or a switch, follows).
  int32_t autoApplySwitch;
  int32_t autoApplyOff;
  char16_t autoApplyPath[kWordUnits];  // empty with "off" or without a file
  // "/undo": undo the last run the journal recorded that is not undone.
  int32_t undoSwitch;
  // The first word that is none of these (cut to kWordUnits); empty when
  // every word is a switch. Such a run reads and changes nothing.
  char16_t unknownWord[kWordUnits];
  int32_t hasUnknownWord;
};

// Any switch but /q alone selects batch mode, and so does any other word:
// it is answered there.
inline int32_t IsBatchMode(const BatchSwitches& s) {
  return s.clearSwitch || s.removeSwitch || s.listSwitch || s.dryRunSwitch || s.usageSwitch ||
         s.moveCount || s.applySwitch || s.exportSwitch || s.autoApplySwitch || s.undoSwitch ||
         s.hasUnknownWord;
}

// The argument text of the process command line (SkipProgramNameIn).
const char16_t* SkipProgramName();
// The next word of the argument text at *text, split as the system splits
// a command line: blanks and tabs end a word outside double quotes, a
// double quote opens or closes a quoted run ("" inside one stands for a
// quote), and backslashes count only before a quote (2n of them stand for
// n and leave the quote its meaning, 2n + 1 for n and a quote). The word
// goes into word (units, always terminated, cut when longer); *text moves
// behind it. 0 when no word is left; *cut is 1 for a word that did not fit.
int32_t NextWord(const char16_t** text, char16_t* word, uint32_t units, int32_t* cut);
// A word is a switch only when it is exactly "/x" or "-x", or one of the
// long switches ("/apply", "/export", "/autoapply", "/undo"), in any case. "/m"
// takes the next two words: a device and a "COMn" number; without them
// "/m" is named as the word not understood, and so is a number that is no
// "COMn". "/apply" takes the next word as its file, whatever it is;
// "/export" and "/autoapply" the next word that is no switch (a file
// named "off" is ".\off" there). A second of a long switch is named too.
BatchSwitches DetectSwitches(const char16_t* argumentText);
// The next "/m" pair from *text on (see DetectSwitches); 0 when none is left.
int32_t NextMove(const char16_t** text, char16_t* device, char16_t* target);
// wShowWindow when the starting process set STARTF_USESHOWWINDOW, else
// SW_SHOWDEFAULT (10).
int32_t StartupShowCommand();
