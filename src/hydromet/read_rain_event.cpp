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
#include "hydromet/hmet_reader_parts.h"
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

// The line that follows the file's own message: the file, the event and
// what is wrong.
void name_fault(const file_rec& rec, const model_state& s, const std::string& cause)
{
    std::string title = s.event_title;
    while (!title.empty() && (title.back() == '\n' || title.back() == '\r' || title.back() == ' '))
        title.pop_back();
    while (!title.empty() && title.front() == ' ')
        title.erase(0, 1);
    std::printf("Error: precipitation file %s, event %d (\"%s\"): %s\n", rec.name.c_str(), s.event_word_count,
                title.c_str(), cause.c_str());
}

// A refusal this reader adds to the file's own messages: the reason line
// names what is wrong.
int refuse_event(const file_rec& rec, const model_state& s, const std::string& reason)
{
    std::printf("\nERROR:\n");
    std::printf("There is a problem in the precipitation input file in the EVENT titled:\n %s\n",
                s.event_title.c_str());
    std::printf("%s\n", reason.c_str());
    std::printf("Check the precipitation input file.  TORVA exiting\n");
    name_fault(rec, s, reason);
    return stop_event();
}

// What is wrong with a data line's date (after the 1900 of two-digit years),
// "" for a date: the month, the day of that month, the hour (24 allowed)
// and the minute.
std::string date_fault(const rain_period_date& d)
{
    const int date[4] = {d.year, d.month, d.day, d.hour};
    if (std::string fault = hmet_date_fault(date); !fault.empty())
        return fault;
    char text[128] = {};
    if (d.minute < 0 || d.minute > 59)
        std::snprintf(text, sizeof text, "the minute %d is not 0 to 59", d.minute);
    else if (d.year < 0)
        std::snprintf(text, sizeof text, "the year %d is below 0", d.year);
    return text;
}

bool type_word(const std::string& w)
{
    return word_starts_with(w, "rada") || word_starts_with(w, "gage") || word_starts_with(w, "rate") ||
           word_starts_with(w, "accu");
}

int refuse_record_types(const file_rec& rec, const model_state& s, bool more_than_one, int line,
                        const std::string& word)
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
    name_fault(rec, s,
               "data line no. " + std::to_string(line) + " begins with \"" + word + "\", " +
                   (more_than_one ? std::string("a second record type in one event.")
                                  : std::string("which is not one of RADAR, GAGES, RATES and ACCUM.")));
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
    precip_word_reader in(rec.fp);
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
        std::printf("Error: precipitation file %s: no EVENT word within %d words.\n", rec.name.c_str(),
                    word_search_limit);
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
        name_fault(rec, s, "no NRGAG and NRPDS cards within " + std::to_string(word_search_limit) + " words.");
        return stop_event();
    }
    if (!gauge_token.empty())
        return refuse_event(rec, s, "NRGAG gives \"" + gauge_token +
                                   "\": it must give the number of rain gages, or the word FILES for radar grid "
                                   "files.");
    if (gauges == 0 || gauges < -1)
        return refuse_event(
            rec, s, "NRGAG must give at least one rain gage, or the word FILES for radar grid files.");
    if (lines < 1 || lines > max_rain_lines)
        return refuse_event(rec, s, "NRPDS gives \"" + lines_token + "\": it must give the number of data lines, from 1 to " +
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
                name_fault(rec, s, "gage " + std::to_string(g) + " has no COORD card.");
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
                return refuse_event(rec, s, "The coordinates of gage " + std::to_string(g) + " cannot be read.");
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
        // A number in place of the type word: the line before ran long.
        double as_number = 0.0;
        if (!type_word(type) && parse_real_word(type, as_number))
            return refuse_event(rec, s, "Data line no. " + std::to_string(l) + " begins with the number \"" + type +
                                            "\" where its type word belongs: the line before holds more values "
                                            "than the " + std::to_string(gauges) + " gages that NRGAG gives.");
        int* fields[5] = {&last.year, &last.month, &last.day, &last.hour, &last.minute};
        for (int* f : fields) {
            const word_status st = in.integer(*f);
            if (st == word_status::end) {
                print_last_date(last);
                return -1;
            }
            if (st == word_status::bad)
                return refuse_event(rec, s, "The date on line no. " + std::to_string(l) + " cannot be read.");
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
            return refuse_record_types(rec, s, kinds > 1, l, type);

        if (radar_files && !s.precip_radar)
            return refuse_event(rec, s, "Radar grid files must be given on RADAR data lines.");

        rain_period_date d = last;
        if (d.year >= 0 && d.year < 100)
            d.year += 1900;
        if (const std::string fault = date_fault(d); !fault.empty())
            return refuse_event(rec, s, "On line no. " + std::to_string(l) + " " + fault + ".");
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
                name_fault(rec, s, "data line no. " + std::to_string(l) + " is dated before the line above it.");
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
            if (same_time)
                return refuse_event(rec, s, "Line no. " + std::to_string(l) + " has the date and time of the line "
                                            "before: its radar grid would cover a period of no length.");
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
                return refuse_event(rec, s, "On line no. " + std::to_string(l) + " the value \"" + word + "\" of gage " +
                                           std::to_string(g) + " " + num_status_text(st) +
                                           (type_word(word) ? ": the line holds fewer values than the " +
                                                                  std::to_string(gauges) + " gages that NRGAG gives."
                                                            : std::string(".")));
            }
            if (same_time) {
                // A line at the time of the line before closes a period of no
                // length: rain given for it would be lost.
                const double before = values[values.size() - static_cast<std::size_t>(gauges)];
                const std::string at = "On line no. " + std::to_string(l);
                const std::string same = ", which has the same date and time as the line before";
                std::string lost;
                if (s.precip_accum && v != before)
                    lost = at + " the accumulated precip. of gage " + std::to_string(g) +
                           " differs from the previous line, which has the same date and time: the depth between "
                           "them would fall in no time.";
                else if (s.precip_rates && before != 0.0)
                    lost = "The rate of gage " + std::to_string(g) + " on line no. " + std::to_string(l - 1) +
                           " holds until line no. " + std::to_string(l) + same +
                           ": it would fall for no time and its rain would be lost.";
                else if ((s.precip_gages || s.precip_radar) && v != 0.0)
                    lost = at + " the value of gage " + std::to_string(g) + " covers the period since the line "
                           "before" + ", which has the same date and time: its rain would fall in no time.";
                if (!lost.empty())
                    return refuse_event(rec, s, lost);
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
                    name_fault(rec, s, "on data line no. " + std::to_string(l) + " the accumulation of gage " +
                                           std::to_string(g) + " falls.");
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
