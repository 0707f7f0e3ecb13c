#include "common/Ean13.h"

#include <algorithm>

namespace Ean13 {

namespace {

// The odd-parity set; the right-hand set is its complement and the even-parity set the complement
// read backwards.
const char* const SetA[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                              "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const Sets[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                              "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

bool digits(QStringView text, qsizetype count) {
    if (text.size() != count)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QString encode(int digit, char set) {
    QString bits = QString::fromLatin1(SetA[digit]);
    if (set == 'A')
        return bits;
    for (QChar& c : bits)
        c = c == u'0' ? u'1' : u'0';
    if (set == 'B')
        std::reverse(bits.begin(), bits.end());
    return bits;
}

} // namespace

int checkDigit(QStringView code) {
    if (!digits(code, 12))
        return -1;
    // Positions counted from 1 at the left: the even ones weigh 3.
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (code[i].unicode() - u'0') * (i % 2 == 1 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

QString withCheckDigit(QStringView code) {
    const int check = checkDigit(code);
    if (check < 0)
        return QString();
    return code.toString() + QChar(u'0' + check);
}

bool isValid(QStringView code) {
    return digits(code, 13) && checkDigit(code.left(12)) == code[12].unicode() - u'0';
}

QString leftSets(int firstDigit) {
    if (firstDigit < 0 || firstDigit > 9)
        return QString();
    return QString::fromLatin1(Sets[firstDigit]);
}

QString modules(QStringView code) {
    if (!isValid(code))
        return QString();
    const QString sets = leftSets(code[0].unicode() - u'0');
    QString m;
    m.reserve(Modules);
    m += QLatin1String("101");
    for (int i = 1; i <= 6; ++i)
        m += encode(code[i].unicode() - u'0', sets[i - 1].toLatin1());
    m += QLatin1String("01010");
    for (int i = 7; i <= 12; ++i)
        m += encode(code[i].unicode() - u'0', 'C');
    m += QLatin1String("101");
    return m;
}

bool isGuard(int module) {
    return (module >= 0 && module < 3) || (module >= 45 && module < 50) || (module >= 92 && module < 95);
}

} // namespace Ean13
