// Reads the next rain event of the precipitation file: its title, the
// NRGAG and NRPDS cards, the gauge coordinates and the dated data lines
// (gauge values, or the names of radar grid files).
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "hydromet/precip_words.h"
#include "hydromet/rain_services.h"

namespace
{

constexpr int word_search_limit = 10000;
constexpr std::size_t title_capacity = 254;
constexpr int max_rain_lines = 99999; // the date store holds 100,000 records

int stop_event()
{
    error_set(err_stop);
    report_error(error_state);
    return 0;
}

// A refusal this reader adds to the file's own messages: the reason line
// names what is wrong.
int refuse_event(const model_state& s, const std::string& reason)
{
    std::printf("\nERROR:\n");
    std::printf("There is a problem in the precipitation input file in the EVENT titled:\n %s\n",
                s.event_title.c_str());
    std::printf("%s\n", reason.c_str());
    std::printf("Check the precipitation input file.  TORVA exiting\n");
    return stop_event();
}

int refuse_record_types(bool more_than_one)
{
    std::printf("\nERROR:\n");
    std::printf("\nThere is a problem in the precipitation input file.\n");
    if (more_than_one) {
        std::printf("More than one precipitation data card type has been specified.\n");
        std::printf("There may only be one of the following card types per event:\n\n");
        std::printf("     1) RADAR\n     2) GAGES\n     3) RATES\n\n");
    } else {
        std::printf("At least one precipitation data card type must be specified.\n");
        std::printf("There may only be one of the following card types per event:\n\n");
        std::printf("     1) RADAR\n     2) GAGES\n     3) RATES    4) ACCUM\n\n");
    }
    std::printf("Check the precipitation input file.  TORVA exiting\n");
    return stop_event();
}

bool date_before(const rain_period_date& a, const rain_period_date& b)
{
    if (a.year != b.year)
        return a.year < b.year;
    if (a.month != b.month)
        return a.month < b.month;
    if (a.day != b.day)
        return a.day < b.day;
    if (a.hour != b.hour)
        return a.hour < b.hour;
    return a.minute < b.minute;
}

void print_last_date(const rain_period_date& d)
{
    std::printf("\n last year %d last month %d last day %d last hour %d last minute %d \n", d.year, d.month,
                d.day, d.hour, d.minute);
}

} // namespace

int read_rain_event(file_rec& rec, model_state& s)
{
    s.precip_radar = s.precip_gages = s.precip_rates = s.precip_accum = 0;
    if (!rec.fp)
        return 0;
    word_reader in(rec.fp);
    std::string w;

    // The EVENT word and the title.
    bool found = false;
    for (int i = 0; i < word_search_limit && !found; ++i) {
        if (!in.word(w, 5))
            return 0;
        found = word_starts_with(w, "even");
    }
    if (!found) {
        std::printf("There is a problem with your rainfall input file.  TORVA cannot\n");
        std::printf("find the first event card.  Check the format of the rainfall input for event %d\n",
                    s.event_word_count);
        std::printf("file.\n\n");
        return stop_event();
    }
    ++s.event_word_count;
    in.rest_of_line(s.event_title);
    if (s.event_title.size() > title_capacity)
        s.event_title.resize(title_capacity);

    // NRGAG and NRPDS, in either order.
    int gauges = s.num_gages;
    int lines = 0;
    std::string gauge_token; // an NRGAG word that is neither a count nor FILES
    std::string lines_token;
    int cards = 0;
    for (int i = 0; i < word_search_limit && cards < 2; ++i) {
        if (!in.word(w, 5))
            return -1;
        if (word_starts_with(w, "nrga")) {
            ++cards;
            std::string token;
            if (!in.word(token, 255))
                return -1;
            int n = 0;
            std::string lower = token;
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (parse_int_word(token, n))
                gauges = n;
            else if (lower.find("files") != std::string::npos)
                gauges = -1;
            else
                gauge_token = token;
        } else if (word_starts_with(w, "nrpd")) {
            ++cards;
            if (!in.word(lines_token))
                return -1;
            if (!parse_int_word(lines_token, lines))
                lines = 0;
        }
    }
    if (cards < 2) {
        std::printf("\nThere is a problem with your rainfall input file.  TORVA cannot\n");
        std::printf("find the NRPDS or NRGAG card for the event entitled:\n");
        std::printf("   %s\n\n", s.event_title.c_str());
        std::printf("Check the format of the rainfall input file.\n");
        return stop_event();
    }
    if (!gauge_token.empty())
        return refuse_event(s, "NRGAG gives \"" + gauge_token +
                                   "\": it must give the number of rain gages, or the word FILES for radar grid "
                                   "files.");
    if (gauges == 0 || gauges < -1)
        return refuse_event(
            s, "NRGAG must give at least one rain gage, or the word FILES for radar grid files.");
    if (lines < 1 || lines > max_rain_lines)
        return refuse_event(s, "NRPDS gives \"" + lines_token + "\": it must give the number of data lines, from 1 to " +
                                   std::to_string(max_rain_lines) + ".");
    const bool radar_files = gauges == -1;
    s.num_gages = gauges;
    s.num_rain_periods = lines;

    // Gauge coordinates, kept as they are read so that storage follows the
    // COORD lines the file really holds.
    if (!radar_files) {
        std::vector<double> xs(1, 0.0), ys(1, 0.0);
        for (int g = 1; g <= gauges; ++g) {
            if (!in.word(w, 5))
                return -1;
            if (!word_starts_with(w, "coor")) {
                std::printf(
                    "\nCannot find gage coordinate card in rainfall input file for event entitled:\n");
                std::printf("       %s\n\n", s.event_title.c_str());
                std::printf("Gage %d of the %d that NRGAG gives has no COORD card: \"%s\" stands in its place.\n",
                            g, gauges, w.c_str());
                std::printf("Check rainfall input file format.\n");
                return stop_event();
            }
            double x = 0.0, y = 0.0;
            const word_status sx = in.real(x);
            if (sx == word_status::end)
                return -1;
            const word_status sy = sx == word_status::ok ? in.real(y) : sx;
            if (sy == word_status::end)
                return -1;
            if (sy == word_status::bad)
                return refuse_event(s, "The coordinates of gage " + std::to_string(g) + " cannot be read.");
            std::string name;
            if (!in.rest_of_line(name))
                return -1;
            xs.push_back(x);
            ys.push_back(y);
        }
        s.gage_x.assign(gauges, 0.0);
        s.gage_y.assign(gauges, 0.0);
        for (int g = 1; g <= gauges; ++g) {
            s.gage_x[g] = xs[static_cast<std::size_t>(g)];
            s.gage_y[g] = ys[static_cast<std::size_t>(g)];
        }
    } else {
        s.gage_x.assign(1, 0.0);
        s.gage_y.assign(1, 0.0);
    }

    // Data lines. Values are kept line after line and moved into the gauge
    // table once the event is complete, so storage grows with the lines the
    // file really holds.
    s.rain_period_dates.assign(1, rain_period_date{});
    s.radar_filenames.clear();
    std::vector<double> values;
    rain_period_date last;
    for (int l = 1; l <= lines; ++l) {
        std::string type;
        if (!in.word(type, 5)) {
            print_last_date(last);
            return -1;
        }
        int* fields[5] = {&last.year, &last.month, &last.day, &last.hour, &last.minute};
        for (int* f : fields) {
            const word_status st = in.integer(*f);
            if (st == word_status::end) {
                print_last_date(last);
                return -1;
            }
            if (st == word_status::bad)
                return refuse_event(s, "The date on line no. " + std::to_string(l) + " cannot be read.");
        }

        if (word_starts_with(type, "rada"))
            s.precip_radar = 1;
        if (word_starts_with(type, "gage"))
            s.precip_gages = 1;
        if (word_starts_with(type, "rate"))
            s.precip_rates = 1;
        if (word_starts_with(type, "accu"))
            s.precip_accum = 1;
        const int kinds = (s.precip_radar != 0) + s.precip_gages + s.precip_rates + s.precip_accum;
        if (kinds != 1)
            return refuse_record_types(kinds > 1);
        if (radar_files && !s.precip_radar)
            return refuse_event(s, "Radar grid files must be given on RADAR data lines.");

        rain_period_date d = last;
        if (d.year < 100)
            d.year += 1900;
        if (l >= 2) {
            const rain_period_date& prev = s.rain_period_dates.back();
            if (date_before(d, prev)) {
                std::printf("\nERROR:\n");
                std::printf("There is a data error in the precipitation file.  This error occurred in the\n");
                std::printf("EVENT titled:\n %s\n", s.event_title.c_str());
                std::printf(
                    "On line no. %ld, the given time of the recorded data is:    %ld/%ld/%ld %ld:%2.2ld\n",
                    static_cast<long>(l), static_cast<long>(d.year), static_cast<long>(d.month),
                    static_cast<long>(d.day), static_cast<long>(d.hour), static_cast<long>(d.minute));
                std::printf(
                    "Which is earlier than the date/time on the previous line:  %ld/%ld/%ld %ld:%2.2ld\n",
                    static_cast<long>(prev.year), static_cast<long>(prev.month), static_cast<long>(prev.day),
                    static_cast<long>(prev.hour), static_cast<long>(prev.minute));
                std::printf("This error in your precipitation input file must be corrected before TORVA\n");
                std::printf("can continue.  Program exiting on error.\n\n");
                return stop_event();
            }
        }
        const bool same_time = l >= 2 && !date_before(s.rain_period_dates.back(), d);
        s.rain_period_dates.push_back(d);

        if (radar_files) {
            std::string line;
            if (!in.rest_of_line(line)) {
                print_last_date(last);
                return -1;
            }
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.pop_back();
            if (replace_on && !replace_pairs_in_line(line))
                return 0;
            std::string name;
            pop_token(line, name);
            s.radar_filenames.push_back(name);
            continue;
        }

        for (int g = 1; g <= gauges; ++g) {
            double v = 0.0;
            std::string word;
            if (!in.word(word)) {
                print_last_date(last);
                return -1;
            }
            const num_status st = parse_double_strict(word, v);
            if (st != num_status::ok) {
                std::printf("\n ERROR: \n");
                std::printf("\n check out gage input for precip record %d", l);
                std::printf("\n look at gage %d \n", g);
                return refuse_event(s, "On line no. " + std::to_string(l) + " the value \"" + word + "\" of gage " +
                                           std::to_string(g) + " " + num_status_text(st) + ".");
            }
            if (s.precip_accum && same_time) {
                const double before = values[values.size() - static_cast<std::size_t>(gauges)];
                if (v != before)
                    return refuse_event(
                        s, "On line no. " + std::to_string(l) + " the accumulated precip. of gage " +
                               std::to_string(g) + " differs from the previous line, which has the same date and "
                               "time: the depth between them would fall in no time.");
            }
            if (s.precip_accum && l >= 2) {
                const double before = values[values.size() - static_cast<std::size_t>(gauges)];
                if (v < before) {
                    std::printf("\nERROR:\n");
                    std::printf(
                        "There is a data error in the precipitation file.  This error occurred in the\n");
                    std::printf("EVENT titled:\n %s\n", s.event_title.c_str());
                    std::printf("On line no. %ld, the accumulated precip. for gage number %d is: %8.5lf mm\n",
                                static_cast<long>(l), g, v);
                    std::printf(
                        "Which is less than the accumulated precip. on the previous line: %8.5lf mm\n",
                        before);
                    std::printf(
                        "This error in your precipitation input file must be corrected before TORVA\n");
                    std::printf(
                        "can continue.  Accumulated precip is CUMULATIVE.  The values should increase\n");
                    std::printf("monotonically.  Program exiting on error.\n\n");
                    return stop_event();
                }
            }
            values.push_back(v);
        }
    }

    if (radar_files) {
        // The grid of the last line stands also at index m; the first grid
        // fixes the radar grid's size and position.
        s.precip_radar = 2;
        s.num_gages = 1;
        s.radar_filenames.push_back(s.radar_filenames.back());
        if (read_radar_header(s.radar, s.radar_filenames.front()) != 0) {
            std::printf("Error: unable to read radar header in file %s\n", s.radar_filenames.front().c_str());
            return stop_event();
        }
        return 1;
    }

    row_array_resize(s.rain_rows, gauges + 1, lines + 1, 0.0);
    if (s.rain_rows.count < gauges || s.rain_rows.width < lines)
        return 0; // reported by the resize
    for (int l = 1; l <= lines; ++l)
        for (int g = 1; g <= gauges; ++g)
            s.rain_rows[g][l] = values[static_cast<std::size_t>(l - 1) * static_cast<std::size_t>(gauges) +
                                       static_cast<std::size_t>(g - 1)];
    return 1;
}
