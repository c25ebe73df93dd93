#include "tool_main.h"

#include "capture_conversion.h"
#include "console.h"
#include "device_run.h"
#include "progress_display.h"
#include "tool_text.h"
#include "transfer_options.h"

#include "app/error_text.h"
#include "tools/common/port_list_print.h"
#include "device/transfer_worker.h"

#include <cstdio>

int toolMain(const std::vector<std::string>& arguments) {
    TransferOptions options;
    std::string error;
    if (!parseTransferOptions(arguments, options, error)) {
        std::fprintf(stderr, "zor7700-transfer: %s\nTry zor7700-transfer --help.\n", error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(transferUsage().c_str(), stdout);
        return 0;
    }
    if (options.listPorts) {
        printPortList(stdout);
        return 0;
    }
    bool erased = false;
    int32_t code = 0;
    if (options.capturePath.empty()) {
        ProgressDisplay display(stdout, outputIsTerminal());
        code = runDeviceTransfer(options, display, erased);
    } else {
        code = convertCapture(options);
    }
    if (code == kExitNoCapture) {
        std::fprintf(stderr, "zor7700-transfer: cannot read %s\n", options.capturePath.c_str());
    } else if (code != kErrorNone) {
        std::fprintf(stderr, "%s\n", utf8Text(ErrorText(code)).c_str());
    } else {
        std::printf("Output file successfully created.%s\n",
                    erased ? "\n\nDevice memory erased." : "");
    }
    return code;
}
