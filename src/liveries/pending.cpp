// Stand-ins for the liveries services that are not built yet.
#include "liveries/liveries.h"

#include <regex>

std::vector<std::vector<std::string>> PublisherTable;

std::string gf_publisherOf(const std::string& text)
{
    for (const std::vector<std::string>& row : PublisherTable)
        for (const std::string& field : row) {
            if (text.find(field) != std::string::npos)
                return row.front();
            try {
                if (std::regex_match(text, std::regex(".*" + field + ".*")))
                    return row.front();
            } catch (const std::regex_error&) {
                // A field that is no valid pattern matches only as plain text.
            }
        }
    return "unknown";
}
