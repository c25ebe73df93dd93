#pragma once

#include "device/report_target.h"

// A message-only window that receives the worker's posted reports where no
// dialog is there to take them (the transfer tool, the tests). It is never
// shown; null when it cannot be created.
WindowHandle createReportWindow();
void destroyReportWindow(WindowHandle window);
