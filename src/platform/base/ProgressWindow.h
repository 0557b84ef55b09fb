// The progress display of long steps, opened through the
// factory the opener of a window gives.
#pragma once

#include <memory>

#include "platform/base/UiServices.h"

// The factory's progress window, or a silent display when there is no factory.
std::unique_ptr<Progress> OpenProgress(const ProgressWindowFactory& factory, bool animated);
