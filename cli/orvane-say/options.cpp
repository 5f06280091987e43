#include "cli/orvane-say/options.h"

namespace Orvane::say {
namespace {

std::string narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

long number(const std::wstring& flag, const std::wstring& value, long low, long high) {
    size_t used = 0;
    long n = 0;
    try {
        n = std::stol(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != value.size() || n < low || n > high)
        throw usage_error(narrow(flag) + " takes a whole number from " + std::to_string(low) + " to " +
                          std::to_string(high));
    return n;
}

}  // namespace

const char usage_line[] =
    "usage: orvane-say --list | [--voice NAME | --gender female|male] [--rate -10..10] [--volume 0..100] "
    "[--pitch -25..25] [--xml] [--events] --out FILE.wav (TEXT | --file PATH)";

options parse_options(const std::vector<std::wstring>& args) {
    options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        auto value = [&]() -> const std::wstring& {
            if (i + 1 >= args.size()) throw usage_error(narrow(a) + " needs a value");
            return args[++i];
        };
        if (a == L"--list") o.list = true;
        else if (a == L"--voice") o.voice = value();
        else if (a == L"--gender") {
            o.gender = value();
            if (o.gender != L"female" && o.gender != L"male") throw usage_error("--gender is female or male");
        } else if (a == L"--rate") o.rate = number(a, value(), -10, 10);
        else if (a == L"--volume") o.volume = static_cast<int>(number(a, value(), 0, 100));
        else if (a == L"--pitch") o.pitch = number(a, value(), -25, 25);
        else if (a == L"--xml") o.xml = true;
        else if (a == L"--events") o.events = true;
        else if (a == L"--out") o.out = value();
        else if (a == L"--file") o.file = value();
        else if (a.size() > 1 && a[0] == L'-' && a[1] == L'-') throw usage_error("unknown option " + narrow(a));
        else if (o.text) throw usage_error("give the text once (quote it)");
        else o.text = a;
    }
    if (o.list) {
        if (o.text || o.file || !o.out.empty()) throw usage_error("--list takes no text and no --out");
        return o;
    }
    if (!o.voice.empty() && !o.gender.empty()) throw usage_error("give --voice or --gender, not both");
    if (o.out.empty()) throw usage_error("--out FILE.wav is required");
    if (o.text.has_value() == o.file.has_value()) throw usage_error("give either TEXT or --file PATH");
    return o;
}

}  // namespace Orvane::say
