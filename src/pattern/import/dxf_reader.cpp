#include "pattern/import/dxf_reader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

bool get_line(DxfSource& source, std::string_view& line) {
    if (source.stopped || source.pos >= source.text.size()) return false;
    if (source.progress && !StepImportProgress(*source.progress)) {
        source.stopped = true;
        return false;
    }
    std::size_t end = source.text.find('\n', source.pos);
    std::size_t next = end == std::string_view::npos ? source.text.size() : end + 1;
    if (end == std::string_view::npos) end = source.text.size();
    line = source.text.substr(source.pos, end - source.pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    source.pos = next;
    return true;
}

std::string_view TrimDxf(std::string_view line) {
    const char* blanks = " \t\r\n\v\f";
    std::size_t first = line.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    std::size_t last = line.find_last_not_of(blanks);
    return line.substr(first, last - first + 1);
}

bool ReadDxfPair(DxfSource& source, int& code, std::string_view& value) {
    std::string_view codeLine;
    if (!get_line(source, codeLine)) return false;
    if (!get_line(source, value)) return false;
    std::string_view c = TrimDxf(codeLine);
    int parsed = 0;
    auto [end, error] = std::from_chars(c.data(), c.data() + c.size(), parsed);
    code = (error == std::errc() && end == c.data() + c.size() && !c.empty()) ? parsed : -1;
    return true;
}

bool ParseDxfNumber(std::string_view text, double& value) {
    std::string_view t = TrimDxf(text);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double parsed = 0.0;
    auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), parsed);
    if (error != std::errc() || end == t.data()) return false;
    if (!std::isfinite(parsed) || std::fabs(parsed) > kMaxImportValue) return false;
    value = parsed;
    return true;
}

namespace {

bool ParseDxfWhole(std::string_view text, long& value) {
    std::string_view t = TrimDxf(text);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    return error == std::errc() && end != t.data();
}

}  // namespace

int get_values(DxfSource& source, DxfEntityValues& values) {
    values = DxfEntityValues{};
    for (;;) {
        std::size_t before = source.pos;
        int code = 0;
        std::string_view value;
        if (!ReadDxfPair(source, code, value)) return 0;
        if (code == 0) {
            source.pos = before;
            return values.closed ? 2 : 1;
        }
        double* target = nullptr;
        switch (code) {
            case 10:
                target = &values.x1;
                break;
            case 20:
                target = &values.y1;
                break;
            case 30:
                target = &values.z1;
                break;
            case 11:
                target = &values.x2;
                break;
            case 21:
                target = &values.y2;
                break;
            case 31:
                target = &values.z2;
                break;
            case 40:
            case 42:
                target = &values.radius;
                break;
            case 50:
                target = &values.startAngle;
                break;
            case 51:
                target = &values.endAngle;
                break;
            case 70: {
                long flags = 0;
                if (!ParseDxfWhole(value, flags)) return 0;
                if (flags & 1) values.closed = true;
                break;
            }
            default:
                break;
        }
        if (target && !ParseDxfNumber(value, *target)) return 0;
    }
}

int get_string(DxfSource& source, int code, std::string& value) {
    value.clear();
    std::size_t start = source.pos;
    int result = 0;
    for (;;) {
        int c = 0;
        std::string_view v;
        if (!ReadDxfPair(source, c, v)) break;
        if (c == 0) {
            result = 1;
            break;
        }
        if (c == code) {
            value.assign(TrimDxf(v));
            result = 1;
            break;
        }
    }
    source.pos = start;
    return result;
}
