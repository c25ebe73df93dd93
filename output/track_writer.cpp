#include "output/track_writer.h"

#include "output/gpx_writer.h"
#include "output/kml_writer.h"
#include "output/nmea_writer.h"

bool writeTrack(const TrackStore& store, ByteSink& file, TrackFormat format) {
    switch (format) {
    case TrackFormat::Nmea:
        return writeNmeaTrack(store, file);
    case TrackFormat::Gpx:
        return writeGpxTrack(store, file);
    case TrackFormat::Kml:
        break;
    }
    return writeKmlTrack(store, file);
}
