#include "AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int ContainerFor(const std::string& path) {
    const std::string extension = Lower(std::filesystem::path(path).extension().string());
    if (extension == ".wav") return SF_FORMAT_WAV;
    if (extension == ".flac") return SF_FORMAT_FLAC;
    if (extension == ".aif" || extension == ".aiff") return SF_FORMAT_AIFF;
    return 0;
}

}  // namespace

bool ParseSampleFormat(const std::string& text, AudioFile::SampleFormat& format) {
    const std::string name = Lower(text);
    if (name == "same") format = AudioFile::SampleFormat::Same;
    else if (name == "float") format = AudioFile::SampleFormat::Float;
    else if (name == "pcm16") format = AudioFile::SampleFormat::Pcm16;
    else if (name == "pcm24") format = AudioFile::SampleFormat::Pcm24;
    else return false;
    return true;
}

bool AudioFile::Read(const std::string& path, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "cannot read \"" + path + "\": " + sf_strerror(nullptr);
        return false;
    }
    channels = info.channels;
    sampleRate = info.samplerate;
    format = info.format;
    samples.assign(static_cast<std::size_t>(info.frames * info.channels), 0.0f);
    const sf_count_t read = sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    if (read != info.frames) {
        error = "cannot read \"" + path + "\": the file ends early";
        return false;
    }
    return true;
}

bool AudioFile::Write(const std::string& path, SampleFormat encoding, std::string& error) const {
    const int container = ContainerFor(path);
    if (container == 0) {
        error = "unsupported output type \"" + path + "\" (use .wav, .flac or .aiff)";
        return false;
    }
    int subtype = format & SF_FORMAT_SUBMASK;
    switch (encoding) {
        case SampleFormat::Float: subtype = SF_FORMAT_FLOAT; break;
        case SampleFormat::Pcm16: subtype = SF_FORMAT_PCM_16; break;
        case SampleFormat::Pcm24: subtype = SF_FORMAT_PCM_24; break;
        case SampleFormat::Same: break;
    }
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = static_cast<int>(sampleRate);
    info.format = container | subtype;
    // An encoding the container cannot hold (a float file to FLAC, say) falls back to
    // 24-bit integers when the file's own encoding was asked for.
    if (!sf_format_check(&info) && encoding == SampleFormat::Same) info.format = container | SF_FORMAT_PCM_24;
    if (!sf_format_check(&info)) {
        error = "unsupported format for \"" + path + "\"";
        return false;
    }
    const std::string temporary = path + ".partial";
    SNDFILE* file = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        error = "cannot write \"" + path + "\": " + sf_strerror(nullptr);
        return false;
    }
    // Integer encodings clip instead of wrapping around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const sf_count_t written = sf_writef_float(file, samples.data(), Frames());
    const bool closed = sf_close(file) == 0;
    std::error_code failure;
    if (written != Frames() || !closed) {
        std::filesystem::remove(temporary, failure);
        error = "cannot write \"" + path + "\"";
        return false;
    }
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        std::filesystem::remove(temporary, failure);
        error = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
}
