#pragma once
// The drawing module of tallowick2-model: a shared library that draws the PIM chart with
// Qt's painting, loaded only by a step that draws, so that the program starts without
// Qt for every other step. It lies beside the program in a build tree and in the outside
// programs' directory once installed.

#include <string>

#include "pim/chartdata.h"

namespace tw::cli {

/// The module's file name.
inline constexpr const char* kChartModuleName = "tallowick2-chart.so";
/// The name of the module's drawing function, a DrawChartFunction.
inline constexpr const char* kDrawChartSymbol = "tallowick2_draw_chart";

/// Draws the chart as the bytes of a file in format; false with error set when it cannot.
/// The module and the program are built from the same sources, so they share the types.
using DrawChartFunction = bool (*)(const ChartData& chart, ChartFormat format, std::string& bytes,
                                   std::string& error);

}  // namespace tw::cli
