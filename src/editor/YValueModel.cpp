#include "editor/YValueModel.h"

#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>

double YFunctionValue::Normalise(double value) const {
    return maximum > minimum ? std::clamp((value - minimum) / (maximum - minimum), 0.0, 1.0) : 0.0;
}

double YFunctionValue::Plain(double normalised) const {
    double value = minimum + (maximum - minimum) * std::clamp(normalised, 0.0, 1.0);
    if (steps > 0) {
        const double step = (maximum - minimum) / steps;
        value = minimum + std::floor((value - minimum) / step + 0.5) * step;
    }
    return value;
}

double YFunctionValue::Get() const { return read ? Normalise(read()) : 0.0; }

void YFunctionValue::Set(double normalised) {
    if (write) write(Plain(normalised));
}

YString YFunctionValue::Text(double normalised) const {
    const double value = Plain(normalised);
    if (format) return format(value);
    const bool whole = steps > 0 && std::fabs((maximum - minimum) / steps - 1.0) < 1e-12;
    return YFormat(whole ? YString("{0.0}") : YString("{0.2}")).Arg(value);
}

bool YFunctionValue::Parse(const YString& text, double& normalised) const {
    YString number = text.Trimmed();
    double divisor = 1.0;
    if (!number.IsEmpty() && number[number.Length() - 1] == u'%') {
        number = number.Substring(0, number.Length() - 1).Trimmed();
        divisor = 100.0;
    }
    double value;
    if (!TryToDouble(number, value)) return false;
    normalised = Normalise(value / divisor);
    return true;
}
