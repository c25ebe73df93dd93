#pragma once

#include "tools/common/log_encoder.h"

#include <string>
#include <vector>

// A plain list of log records, one a line: "TIME FIX LATITUDE LONGITUDE
// HEIGHT", the time in the GPX form (2009-05-01T12:00:00Z), the rest stored
// as written: a fix of 0 or 1, a longitude above 180, any 16-bit height.
// Up to four more columns follow for a module's layouts, in this order:
// SPEED (-32768 to 32767), HEADING and HDOP (0 to 65535, HDOP in
// hundredths), SATELLITES (0 to 255); those left out are 0.
// Blank lines and lines starting with "#" are skipped. It states exactly what
// the memory holds, for cases a GPX track cannot express. False with the line
// number in `error` for a line that does not read so, or for no record.
bool parseRecordList(const std::string& text, std::vector<RawRecord>& records, std::string& error);
bool readRecordList(const std::string& path, std::vector<RawRecord>& records, std::string& error);
