#pragma once

#include "engine/ParameterDefinition.h"

// Text rules shared by the effects' parameters, for ParameterDefinition::converter.

// A frequency stored as the base-10 logarithm of hertz: shown by the hertz rule,
// typed in hertz ("440", "1.5 kHz").
extern const ParameterConverter kHertzConverter;

// A fraction of a cycle: shown as whole degrees and per cent, "90° (25.0%)", and
// "0° (0%)" for zero; typed in degrees, with or without a trailing "°" or "deg".
extern const ParameterConverter kDegreesConverter;

YString DegreesText(double cycles);
bool ParseDegrees(const YString& text, double& cycles);
