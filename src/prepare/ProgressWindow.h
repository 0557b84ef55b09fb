// The progress display of the data windows' long steps, opened through the
// factory their opener gives (the import window's kind).
#pragma once

#include <memory>

#include "platform/base/UiServices.h"
#include "prepare/IDtMain.h"

// The factory's progress window, or a silent display when there is no factory.
std::unique_ptr<Progress> OpenProgress(const ProgressWindowFactory& factory, bool animated);
