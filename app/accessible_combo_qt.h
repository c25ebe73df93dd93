#pragma once

// On Linux, Qt announces a drop-down list by its current item and ignores
// the accessible name the program gave it, so a screen reader says "Select
// Serial Port ..." where it should say what the list is for. Installed once,
// before the first window is shown, this makes every drop-down list that has
// an accessible name announce it, with the current item as its value.
void installNamedComboAccessible();
