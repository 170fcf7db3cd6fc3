#include "platform/media/AudioFileProbe.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

struct MpegFrame {
    std::size_t length = 0;
    int samples = 0;
    int sampleRate = 0;
};

// Decodes a 4-byte MPEG audio frame header; nullopt when it is not one.
std::optional<MpegFrame> parseMpegHeader(const unsigned char* h) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return std::nullopt;
    int version = (h[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
    int layer = (h[1] >> 1) & 3;    // 1: III, 2: II, 3: I
    int bitrateIndex = h[2] >> 4;
    int rateIndex = (h[2] >> 2) & 3;
    int padding = (h[2] >> 1) & 1;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int kRates[3] = {44100, 48000, 32000};
    bool mpeg1 = version == 3;
    int layerRow = 3 - layer;  // 0: I, 1: II, 2: III
    int bitrate = kBitrates[mpeg1 ? 0 : 1][layerRow][bitrateIndex] * 1000;
    int sampleRate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    MpegFrame frame;
    frame.sampleRate = sampleRate;
    if (layerRow == 0) {
        frame.samples = 384;
        frame.length = static_cast<std::size_t>((12 * bitrate / sampleRate + padding) * 4);
    } else {
        frame.samples = (layerRow == 2 && !mpeg1) ? 576 : 1152;
        frame.length = static_cast<std::size_t>(frame.samples / 8 * bitrate / sampleRate + padding);
    }
    if (frame.length < 4)
        return std::nullopt;
    return frame;
}

std::optional<AudioFileInfo> probeMpeg(const std::vector<unsigned char>& data) {
    std::size_t offset = 0;
    if (data.size() >= 10 && std::memcmp(data.data(), "ID3", 3) == 0) {
        std::size_t size = (std::size_t(data[6] & 0x7F) << 21) |
                           (std::size_t(data[7] & 0x7F) << 14) |
                           (std::size_t(data[8] & 0x7F) << 7) | std::size_t(data[9] & 0x7F);
        offset = 10 + size + ((data[5] & 0x10) ? 10 : 0);
    }
    // The first frame must be followed by another valid frame: a lone sync
    // pattern in arbitrary bytes proves nothing.
    for (std::size_t limit = std::min(data.size(), offset + 64 * 1024); offset + 4 <= limit;
         ++offset) {
        auto first = parseMpegHeader(&data[offset]);
        if (!first)
            continue;
        std::size_t next = offset + first->length;
        if (next + 4 > data.size() || !parseMpegHeader(&data[next]))
            continue;
        double seconds = 0;
        std::size_t frames = 0;
        for (std::size_t at = offset; at + 4 <= data.size();) {
            auto frame = parseMpegHeader(&data[at]);
            if (!frame)
                break;
            seconds += double(frame->samples) / frame->sampleRate;
            at += frame->length;
            ++frames;
        }
        if (frames >= 2)
            return AudioFileInfo{"mpeg", seconds};
    }
    return std::nullopt;
}

std::uint32_t little32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

std::optional<AudioFileInfo> probeWav(const std::vector<unsigned char>& data) {
    if (data.size() < 44 || std::memcmp(data.data(), "RIFF", 4) != 0 ||
        std::memcmp(data.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    std::uint32_t byteRate = 0;
    for (std::size_t at = 12; at + 8 <= data.size();) {
        std::uint32_t size = little32(&data[at + 4]);
        if (std::memcmp(&data[at], "fmt ", 4) == 0 && at + 20 <= data.size())
            byteRate = little32(&data[at + 16]);
        if (std::memcmp(&data[at], "data", 4) == 0 && byteRate > 0)
            return AudioFileInfo{"wav", double(size) / byteRate};
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<AudioFileInfo> probeAudioFile(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    file.seekg(0, std::ios::end);
    std::vector<unsigned char> data(
        static_cast<std::size_t>(std::max<std::streamoff>(file.tellg(), 0)));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(file.gcount()));
    if (data.empty()) {
        error = "the file is empty";
        return std::nullopt;
    }
    if (auto wav = probeWav(data))
        return wav;
    if (data.size() >= 4 && std::memcmp(data.data(), "OggS", 4) == 0)
        return AudioFileInfo{"ogg", std::nullopt};
    if (data.size() >= 4 && std::memcmp(data.data(), "fLaC", 4) == 0)
        return AudioFileInfo{"flac", std::nullopt};
    if (auto mpeg = probeMpeg(data))
        return mpeg;
    error = "not a playable audio file";
    return std::nullopt;
}
