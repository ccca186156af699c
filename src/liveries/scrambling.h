#pragma once
// Codes as the downloaded data files store them, and the daily date code.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <string>

// Registrations keep their length; '+' stands unchanged.
std::string gf_decryptRegcode(const std::string& stored);
// Throws std::runtime_error "regcode encrypt error" for a lower-case letter.
std::string gf_encryptRegcode(const std::string& plain);
// Six stored characters give the three-letter code; three are taken as they are (with a
// marked log line); other lengths throw std::runtime_error.
std::string gf_decryptAirline(const std::string& stored);
// Three or four stored characters give as many; any other length two.
std::string gf_decryptType(const std::string& stored);

// The date code of a UTC instant: the scrambled "MMMDDYYYY" of its asctime text.
std::string gf_dateCodeAt(std::time_t instant);
// Not 0: the instant (seconds since 1970) that gf_dateCode takes instead of the clock.
extern std::atomic<std::int64_t> dateCodeInstant;
