// Line helpers shared by the XY boundary readers: the label-and-values lines
// of the point headers and the binding of a multi-column series block to
// its points.
#pragma once

#include <string>
#include <vector>

#include "core/file_rec.h"
#include "input/time_series.h"

// Longest line of an XY boundary file holding n values.
int xy_line_size(int n);

// Skips `labels` words of the line, then reads n numbers strictly into out.
// On a missing or bad number prints a message naming the file, the line and
// the value's position, and returns false.
bool xy_label_reals(std::string_view line, int labels, int n, std::vector<double>& out,
                    const std::string& path, int line_no);
bool xy_label_ints(std::string_view line, int labels, int n, std::vector<int>& out, const std::string& path,
                   int line_no);

// The first integer of the line, strictly; false (with a message) when the
// line does not start with one.
bool xy_count_line(std::string_view line, int& n, const std::string& path, int line_no);

// Reads the dated block that follows into n series named "<prefix>_%04d" and
// returns them in column order; empty when the block was refused (reported)
// or holds no dated row (reported here).
std::vector<time_series*> xy_series_block(file_rec& rec, int n, const std::string& prefix,
                                          const std::string& path);
