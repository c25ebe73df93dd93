#pragma once

#include <cstdint>

// What the shown page holds that the frame's buttons depend on.
struct PageChoices {
    int32_t page;
    // The item data of the port list's selection: a port number 0 to 255,
    // the placeholder's, or -1 for none.
    int32_t portItem;
    bool hasOutputFile;
};

// The frame's three buttons as the page wants them.
struct ButtonStates {
    const char16_t* nextText; // "&Next", or "&Finish" on the success page
    bool next;
    bool previous;
    bool cancel;
};

// The button rules: nothing but the page and its choices decides them.
ButtonStates buttonStates(const PageChoices& shown);
