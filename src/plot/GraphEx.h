// Exceptions of the plot classes and of the plot window's control panel.
#pragma once

#include <string>

#include "platform/base/Exception.h"

class GraphEx : public Exception {
public:
  GraphEx() : Exception("Graph error") {}

protected:
  explicit GraphEx(std::string message) : Exception(std::move(message)) {}
};

class GraphAxesParEx : public GraphEx {
public:
  GraphAxesParEx() : GraphEx("Axes parameters error - min value greater than max value") {}
};

class VerticalPanelEx : public Exception {
public:
  VerticalPanelEx() : Exception("Cannot create vertical panel (may be a combo box error)") {}
};
