#include "engine/ParameterConverters.h"

#include "engine/YValueTypes.h"
#include "foundation/YFormat.h"

#include <cmath>

namespace {

constexpr char16_t kDegreeSign = u'\u00B0';

YString HertzFormat(const ParameterDefinition&, double value) { return HertzText(std::pow(10.0, value)); }

bool HertzParse(const ParameterDefinition&, const YString& text, double& value) {
    double hertz;
    if (!ParseHertz(text, hertz) || !(hertz > 0.0)) return false;
    value = std::log10(hertz);
    return true;
}

YString DegreesFormat(const ParameterDefinition&, double value) { return DegreesText(value); }
bool DegreesParse(const ParameterDefinition&, const YString& text, double& value) { return ParseDegrees(text, value); }

// The text without a trailing unit (compared ignoring case); true when it had one.
bool StripSuffix(YString& text, const YString& suffix) {
    if (text.Length() < suffix.Length()) return false;
    if (!YString::EqualsNoCase(text.Substring(text.Length() - suffix.Length()), suffix)) return false;
    text = text.Substring(0, text.Length() - suffix.Length()).Trimmed();
    return true;
}

}  // namespace

const ParameterConverter kHertzConverter{&HertzFormat, &HertzParse};
const ParameterConverter kDegreesConverter{&DegreesFormat, &DegreesParse};

YString DegreesText(double cycles) {
    const YString sign(kDegreeSign);
    if (std::fabs(cycles) < 1e-50) return YFormat("0{0} (0%)").Arg(sign);
    const auto degrees = static_cast<int64_t>(std::floor(cycles * 360.0 + 0.5));
    return YFormat("{0}{1} ({2.1}%)").Arg(degrees).Arg(sign).Arg(cycles * 100.0);
}

bool ParseDegrees(const YString& text, double& cycles) {
    YString number = text.Trimmed();
    if (!StripSuffix(number, YString(kDegreeSign))) StripSuffix(number, "deg");
    double degrees;
    if (!TryToDouble(number, degrees)) return false;
    cycles = degrees / 360.0;
    return true;
}
