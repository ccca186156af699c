#pragma once
// The TCP server for RealTraffic on this computer: one client, asked for its version, then
// sent the user aircraft's position ("Qs121=") and, for the professional edition, the
// simulator time ("Qs123="). Lines end with CR LF.
#include <atomic>
#include <cstdint>
#include <string>

// RealTraffic's professional edition (version reply "level" 2 or missing).
extern std::atomic<bool> realTrafficProfessional;
// A RealTraffic client is connected.
extern std::atomic<bool> clientConnected;
// The listening socket is open.
extern std::atomic<bool> serverOpen;
// A UDP reader stopped with an error; the start of traffic and the main loop end the program.
extern std::atomic<bool> readerError;

// Opens the listening socket on 127.0.0.1 and the given port; raises SysErrorException
// codes 0 to 3, 5 and 6 on failure.
void gf_openServerSocket(const std::string& port);
// Waits until a client connects; true when one was accepted now. False at once while a
// client is connected, and as soon as the server is closed or an exit is under way.
bool waitForClient();
// Sends the text; on failure, or when the client has taken nothing for a while (it no
// longer reads), the client is dropped and false returned.
bool sendDataPacket(const std::string& text);
// One receive of up to 8192 bytes from the client; empty on failure, when it closed, or
// as soon as an exit is under way.
std::string gf_receive();
// The answer to "Qs999=version": received until it is one complete JSON value, the client
// closes, or the reply time is up (then what came, and a marked log line).
std::string gf_receiveVersionReply();
// At start: waits for RealTraffic to connect and asks for its version (RealTraffic on this
// computer only).
void gf_waitForRealTraffic();
// Reads the version reply; a reply that is not JSON raises the parser's error.
void gf_checkRealTrafficVersion(const std::string& reply);
// The "Qs121=" line from the user aircraft's attitude and position (angles in radians,
// altitude in feet, ground speed in knots, latitude and longitude in degrees).
std::string gf_formatPosition(double pitch, double bank, double heading, double altitude, double groundSpeed,
                              double latitude, double longitude);
// The user position to RealTraffic; waits for RealTraffic to come back when it is gone.
void gf_sendPosition();
// The simulator time (seconds since 1970) to a professional RealTraffic.
void gf_sendQs123(std::int64_t seconds);
// "exit" to a connected client, then both sockets closed.
void gf_closeServer();
// Shows that a UDP reader stopped with the given error and raises the reader-error flag.
void gf_readerStopped(bool isTrafficReader, const std::string& errorText);
