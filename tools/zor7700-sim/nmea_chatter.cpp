#include "nmea_chatter.h"

#include "tools/common/log_encoder.h"

#include <ctime>

std::string chatterSentences(uint32_t unixTime) {
    time_t seconds = unixTime;
    tm utc{};
    gmtime_r(&seconds, &utc);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H%M%S.000", &utc);
    char date[8];
    std::strftime(date, sizeof date, "%d%m%y", &utc);
    std::string gga =
        std::string("GPGGA,") + clock + ",4808.232,N,01134.536,E,1,08,0.9,520.0,M,47.0,M,,";
    std::string rmc =
        std::string("GPRMC,") + clock + ",A,4808.232,N,01134.536,E,0.00,0.00," + date + ",,,A";
    return withChecksum(gga) + withChecksum(rmc);
}
