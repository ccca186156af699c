#pragma once
// Texts for Windows Sockets error codes, as the socket code puts them into its messages.
#include <cstdint>
#include <string>

// "{code} {text}", for example "10048 Address already in use"; codes without a text
// get "Unknown errror code".
std::string gf_winsockErrorText(std::int32_t code);
// The text of the calling thread's last Windows Sockets error.
std::string gf_lastWinsockErrorText();
