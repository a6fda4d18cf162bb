#include "AudioFile.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <mutex>

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

// libsndfile keeps the reason why a file did not open in one place for the whole
// process; files of a batch open on several threads.
SNDFILE* OpenFile(const std::string& path, int mode, SF_INFO& info, std::string& reason) {
    static std::mutex opening;
    const std::lock_guard lock(opening);
    SNDFILE* file = sf_open(path.c_str(), mode, &info);
    if (file == nullptr) reason = sf_strerror(nullptr);
    return file;
}

std::string Temporary(const std::string& path) { return path + ".partial"; }

}  // namespace

bool ParseSampleFormat(const std::string& text, SampleFormat& format) {
    const std::string name = Lower(text);
    if (name == "same") format = SampleFormat::Same;
    else if (name == "float") format = SampleFormat::Float;
    else if (name == "pcm16") format = SampleFormat::Pcm16;
    else if (name == "pcm24") format = SampleFormat::Pcm24;
    else return false;
    return true;
}

bool CommitTemporary(const std::string& temporary, const std::string& path, bool written, std::string& error) {
    std::error_code failure;
    if (written) std::filesystem::rename(temporary, path, failure);
    if (!written || failure) {
        std::filesystem::remove(temporary, failure);
        error = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
}

AudioReader::~AudioReader() {
    if (file_ != nullptr) sf_close(file_);
}

bool AudioReader::Open(const std::string& path, std::string& error) {
    std::string reason;
    path_ = path;
    file_ = OpenFile(path, SFM_READ, info_, reason);
    if (file_ == nullptr) error = "cannot read \"" + path + "\": " + reason;
    return file_ != nullptr;
}

bool AudioReader::Read(float* interleaved, int64_t frames, std::string& error) {
    if (sf_readf_float(file_, interleaved, frames) == frames) return true;
    error = "cannot read \"" + path_ + "\": the file ends early";
    return false;
}

bool AudioReader::Rewind(std::string& error) {
    if (sf_seek(file_, 0, SEEK_SET) == 0) return true;
    error = "cannot read \"" + path_ + "\" again from its start";
    return false;
}

AudioWriter::~AudioWriter() { Discard(); }

void AudioWriter::Discard() {
    if (file_ == nullptr) return;
    sf_close(file_);
    file_ = nullptr;
    std::error_code failure;
    std::filesystem::remove(Temporary(path_), failure);
}

bool AudioWriter::Open(const std::string& path, SampleFormat encoding, const AudioSource& source, std::string& error) {
    const int container = ContainerFor(path);
    if (container == 0) {
        error = "unsupported output type \"" + path + "\" (use .wav, .flac or .aiff)";
        return false;
    }
    int subtype = source.Format() & SF_FORMAT_SUBMASK;
    switch (encoding) {
        case SampleFormat::Float: subtype = SF_FORMAT_FLOAT; break;
        case SampleFormat::Pcm16: subtype = SF_FORMAT_PCM_16; break;
        case SampleFormat::Pcm24: subtype = SF_FORMAT_PCM_24; break;
        case SampleFormat::Same: break;
    }
    SF_INFO info{};
    info.channels = source.Channels();
    info.samplerate = static_cast<int>(source.SampleRate());
    info.format = container | subtype;
    // An encoding the container cannot hold (a float file to FLAC, say) falls back to
    // 24-bit integers when the file's own encoding was asked for.
    if (!sf_format_check(&info) && encoding == SampleFormat::Same) info.format = container | SF_FORMAT_PCM_24;
    if (!sf_format_check(&info)) {
        error = "unsupported format for \"" + path + "\"";
        return false;
    }
    std::string reason;
    path_ = path;
    file_ = OpenFile(Temporary(path), SFM_WRITE, info, reason);
    if (file_ == nullptr) {
        error = "cannot write \"" + path + "\": " + reason;
        return false;
    }
    // Integer encodings clip instead of wrapping around.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

bool AudioWriter::Write(const float* interleaved, int64_t frames, std::string& error) {
    if (sf_writef_float(file_, interleaved, frames) == frames) return true;
    error = "cannot write \"" + path_ + "\": " + sf_strerror(file_);
    return false;
}

bool AudioWriter::Finish(std::string& error) {
    const bool closed = sf_close(file_) == 0;
    file_ = nullptr;
    return CommitTemporary(Temporary(path_), path_, closed, error);
}
