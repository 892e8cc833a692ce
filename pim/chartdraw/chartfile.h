#pragma once
// The PIM chart as a file for reports: the whole chart at a readable size, as a PNG
// image or a PDF document (pages of at most about a metre and a half, the axis and the
// legend on each). Needs a QGuiApplication (the fonts); no window and no display.

#include <string>

#include "model/result.h"
#include "pim/chartdata.h"

namespace tw {

/// The bytes of the file showing the chart; an error when the chart has no rows or is
/// too large for an image.
Result<std::string> drawChartFile(const ChartData& chart, ChartFormat format);

}  // namespace tw
