// A buffered writer for the large grids and dataset steps: numbers are
// formatted into a fixed buffer (std::to_chars gives exactly the text of the
// matching printf format in the C locale) and the buffer goes to the stream
// in large blocks. Nothing is allocated.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstring>

class text_writer
{
  public:
    explicit text_writer(std::FILE* fp) : fp_(fp) {}
    ~text_writer() { flush(); }
    text_writer(const text_writer&) = delete;
    text_writer& operator=(const text_writer&) = delete;

    void flush()
    {
        if (fp_ && used_ > 0)
            std::fwrite(buf_, 1, used_, fp_);
        used_ = 0;
    }

    void put(const char* text, std::size_t n)
    {
        if (n > room())
            flush();
        if (n > room()) {
            if (fp_)
                std::fwrite(text, 1, n, fp_);
            return;
        }
        std::memcpy(buf_ + used_, text, n);
        used_ += n;
    }

    void put(char c)
    {
        if (room() < 1)
            flush();
        buf_[used_++] = c;
    }

    // "%<width>.<precision>lf"
    void put_fixed(double v, int precision, int width = 0)
    {
        char tmp[max_number];
        const std::to_chars_result r =
            std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::fixed, precision);
        if (r.ec != std::errc()) {
            // Longer than any double in fixed notation should be: printf writes it.
            flush();
            if (fp_)
                std::fprintf(fp_, "%*.*f", width, precision, v);
            return;
        }
        const std::size_t n = static_cast<std::size_t>(r.ptr - tmp);
        for (std::size_t i = n; i < static_cast<std::size_t>(width > 0 ? width : 0); ++i)
            put(' ');
        put(tmp, n);
    }

  private:
    // Room for the longest fixed-point double (309 digits and the decimals).
    static constexpr std::size_t max_number = 400;

    std::size_t room() const { return sizeof buf_ - used_; }

    std::FILE* fp_;
    std::size_t used_ = 0;
    char buf_[1 << 16] = {}; // zeroed once per writer: keeps the compiler sure no unset byte is written
};
