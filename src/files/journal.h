#pragma once

// The match journal, basekrm/Matches.txt: its lines (journal_format.h),
// reading it (journal_read.h) and appending to it (journal_writer.h).

#include "files/journal_format.h"
#include "files/journal_read.h"
#include "files/journal_writer.h"
