#pragma once
// The status-change log in the database folder, shared by every copy: a text log with a banner,
// or a comma-separated log with a header line.
#include <string>

// Appends "<short date> <long time> <Entry>" to the text log FileName, creating it with its banner.
void WriteTextLog(const std::string& FileName, const std::string& Entry);

// Appends one row of five quoted fields to the comma-separated log FileName, creating it with its
// header line.
void WriteCsvLog(const std::string& FileName, const std::string& Name, const std::string& LogInName,
                 const std::string& FromStatus, const std::string& ToStatus);

// Fixed lines of a new log file (exposed for the tests).
std::string TextLogBanner();
std::string CsvLogHeader();
// One comma-separated field: the value in double quotes, inner double quotes doubled.
std::string CsvField(const std::string& Value);
