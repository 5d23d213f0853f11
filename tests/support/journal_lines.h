// The journal as the simulated platform holds it, for the tests of what
// each face records.
#pragma once

#include <string>
#include <vector>

// The bytes of a file in the journal's folder ("journal.csv",
// "journal.old.csv"); "-" where there is none.
std::string SimJournalFile(const std::string& name = "journal.csv");
// The journal's records, each without the time that begins every one (the
// simulated clock stands still) and its line end; the mark and the header
// of a new file are checked and left out. None for no file, or an empty
// one.
std::vector<std::string> SimJournalRecords();
