#include "tool_main.h"

int main(int argc, char** argv) {
    // Arguments are UTF-8 already.
    return toolMain(std::vector<std::string>(argv + 1, argv + argc));
}
