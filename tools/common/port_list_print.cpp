#include "tools/common/port_list_print.h"

#include "support/port_list.h"
#include "support/utf8_text.h"

void printPortList(std::FILE* out) {
    PortList ports;
    ports.Refresh();
    // The whole description: a path cut at the combo box's 79 characters
    // would name another file.
    for (int32_t entry = 0; entry < ports.count; ++entry)
        std::fprintf(out, "COM%-3d - %s\n", ports.portNumbers[entry],
                     utf8FromUtf16(ports.descriptions[entry].c_str()).c_str());
}
