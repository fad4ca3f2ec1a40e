// The files of examples/contaminant that the tests copy into a scratch
// folder before running the project there.
#pragma once

namespace contaminant_example
{

inline constexpr const char* files[] = {"contam.prj",    "contam.msk",    "contam.ele",    "contam.idx",
                                        "contam.cmt",    "contam_k.map",  "contam_hc.map", "contam_por.map",
                                        "contam_m0.map", "contam_pi.map", "contam_rs.map"};

} // namespace contaminant_example
