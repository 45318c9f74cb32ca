#include "platform/numbers.h"

#include <cfloat>
#include <charconv>
#include <string>

namespace Numeros {

namespace {

int DigitoEnBase(char16_t c, int base)
{
    int d = -1;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
    return d < base ? d : -1;
}

} // namespace

double Val(const QString &text)
{
    // Blanks, tabs and line feeds are skipped wherever they stand.
    std::u16string s;
    s.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') s.push_back(c.unicode());
    const size_t n = s.size();

    if (n >= 2 && s[0] == u'&') {
        const int base = (s[1] == u'H' || s[1] == u'h') ? 16 : (s[1] == u'O' || s[1] == u'o') ? 8 : 0;
        if (!base) return 0.0;
        double v = 0.0;
        for (size_t j = 2; j < n; ++j) {
            const int d = DigitoEnBase(s[j], base);
            if (d < 0) break;
            v = v * base + d;
        }
        return v;
    }

    // Collect the ASCII text of the leading number: sign, digits, one point,
    // then an exponent (E or D) only when digits follow it.
    std::string num;
    size_t i = 0;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) num += static_cast<char>(s[i++]);
    bool digits = false;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') { num += static_cast<char>(s[i++]); digits = true; }
    if (i < n && s[i] == u'.') {
        num += '.';
        ++i;
        while (i < n && s[i] >= u'0' && s[i] <= u'9') { num += static_cast<char>(s[i++]); digits = true; }
    }
    if (!digits) return 0.0;
    if (i < n && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        std::string ex = "e";
        size_t j = i + 1;
        if (j < n && (s[j] == u'+' || s[j] == u'-')) ex += static_cast<char>(s[j++]);
        bool exDigits = false;
        while (j < n && s[j] >= u'0' && s[j] <= u'9') { ex += static_cast<char>(s[j++]); exDigits = true; }
        if (exDigits) num += ex;
    }

    const bool negativo = num[0] == '-';
    const char *first = num.data() + ((num[0] == '+' || num[0] == '-') ? 1 : 0);
    double v = 0.0;
    const auto r = std::from_chars(first, num.data() + num.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large saturates at the largest double; too small is zero.
        const auto e = num.find('e');
        const bool grande = e == std::string::npos || num[e + 1] != '-';
        v = grande ? DBL_MAX : 0.0;
    } else if (r.ec != std::errc()) {
        return 0.0;
    }
    return negativo ? -v : v;
}

} // namespace Numeros
