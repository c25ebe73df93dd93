#pragma once

#include <cstdint>
#include <string>

// What the receiver says once a second while nobody asks it anything: a
// $GPGGA and a $GPRMC sentence for the given UTC time at a fixed position.
std::string chatterSentences(uint32_t unixTime);
