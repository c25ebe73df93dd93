#include "tools/common/port_list_print.h"

#include "support/port_list.h"
#include "support/utf8_text.h"

void printPortList(std::FILE* out)
{
    PortList ports;
    ports.Refresh();
    PortComboItems items;
    buildPortComboItems(ports, -1, items);
    for (int32_t item = 0; item < items.count; ++item)
        std::fprintf(out, "%s\n", utf8FromUtf16(items.texts[item].c_str()).c_str());
}
