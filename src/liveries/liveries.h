#pragma once
// What the rest of the program uses of the liveries: reference data, scan and matching.
#include <string>
#include <vector>

// Publishers of the reference data: each row the publisher's name, then the names
// under which its sceneries appear.
extern std::vector<std::vector<std::string>> PublisherTable;

// The publisher of an archive entry: the first field of the first row of PublisherTable
// with a field found in the text; "unknown" when none is.
std::string gf_publisherOf(const std::string& text);
