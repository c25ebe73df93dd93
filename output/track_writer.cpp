#include "output/track_writer.h"

#include "output/gpx_writer.h"
#include "output/kml_writer.h"
#include "output/nmea_writer.h"

bool writeTrack(const TrackStore& store, ByteSink& file, bool nmeaOutput, bool gpxOutput) {
    if (gpxOutput) {
        return writeGpxTrack(store, file);
    }
    return nmeaOutput ? writeNmeaTrack(store, file) : writeKmlTrack(store, file);
}
