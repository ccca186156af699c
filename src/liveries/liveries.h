#pragma once
// What the rest of the program uses of the liveries: reference data, scan and matching.
#include <string>
#include <vector>

// Publishers of the reference data: each row the publisher's name, then the names
// under which its sceneries appear.
extern std::vector<std::vector<std::string>> PublisherTable;
