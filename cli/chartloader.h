#pragma once
// Loading the drawing module of tallowick2-model when a step first draws the chart.

#include <string>

#include "model/result.h"
#include "pim/chartdata.h"

namespace tw::cli {

/// Draws the chart with the drawing module, loaded on first use from beside the running
/// program or from the installed outside programs' directory; an error naming the
/// places looked in when it is in neither.
Result<std::string> drawChartWithModule(const ChartData& chart, ChartFormat format);

}  // namespace tw::cli
