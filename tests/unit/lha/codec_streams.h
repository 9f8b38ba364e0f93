// In-memory sources and sinks for driving the codecs in tests, and a bit
// writer for crafting compressed streams by hand.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lha/codec.h"

struct MemorySource {
    const std::string* data;
    size_t position = 0;
    uint32_t chunk = 1u << 30;  // largest piece one read hands out

    static LhaStatus Read(void* context, uint8_t* buffer, uint32_t size, uint32_t* got) {
        MemorySource* s = static_cast<MemorySource*>(context);
        size_t left = s->data->size() - s->position;
        size_t take = size < left ? size : left;
        if (take > s->chunk) take = s->chunk;
        std::memcpy(buffer, s->data->data() + s->position, take);
        s->position += take;
        *got = static_cast<uint32_t>(take);
        return kLhaOk;
    }
    LhaSource Source() { return LhaSource{Read, this}; }
};

struct MemorySink {
    std::string data;
    static LhaStatus Write(void* context, const uint8_t* bytes, uint32_t size) {
        static_cast<MemorySink*>(context)->data.append(reinterpret_cast<const char*>(bytes), size);
        return kLhaOk;
    }
    LhaSink Sink() { return LhaSink{Write, this}; }
};

// Most-significant-bit first, as LHA streams are.
struct TestBitWriter {
    std::string bytes;
    uint32_t pending = 0;
    int count = 0;
    void Put(int n, uint32_t value) {
        for (int i = n - 1; i >= 0; --i) {
            pending = (pending << 1) | ((value >> i) & 1);
            if (++count == 8) {
                bytes.push_back(static_cast<char>(pending));
                pending = 0;
                count = 0;
            }
        }
    }
    std::string Finish() {
        if (count) Put(8 - count, 0);
        return bytes;
    }
};

// Runs a decoder over `compressed`; returns its status, output in *out.
inline LhaStatus RunDecoder(const LhaDecoderType& type, const std::string& compressed, uint64_t originalSize,
                            std::string* out) {
    std::vector<uint64_t> state(type.stateSize / sizeof(uint64_t) + 1);
    MemorySource source{&compressed};
    LhaSource in = source.Source();
    MemorySink sink;
    LhaSink sinkRecord = sink.Sink();
    LhaStatus status = type.decode(state.data(), type.parameter, &in, &sinkRecord, originalSize);
    *out = sink.data;
    return status;
}

inline LhaStatus RunEncoder(const std::string& input, uint64_t sizeLimit, std::string* out) {
    std::vector<uint64_t> state(kLh5EncoderStateSize / sizeof(uint64_t));
    MemorySource source{&input};
    source.chunk = 70000;  // reads that do not line up with the encoder's buffer
    LhaSource in = source.Source();
    MemorySink sink;
    LhaSink sinkRecord = sink.Sink();
    uint64_t read = 0, written = 0;
    LhaStatus status = EncodeLh5(state.data(), &in, &sinkRecord, sizeLimit, &read, &written);
    *out = sink.data;
    return status;
}

// Deterministic test data.
inline std::string RandomBytes(size_t size, uint32_t seed) {
    std::string s(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

// Looks like the registry snapshot files the program packs: key paths,
// value names, types and little data blocks, much repeated.
inline std::string SnapshotLikeBytes(size_t size) {
    static const char* const kNames[] = {"ProxyEnable", "ProxyServer", "ProxyOverride", "AutoConfigURL",
                                         "SMTP Server", "POP3 Server", "Account Name", "IPAddress",
                                         "SubnetMask", "DefaultGateway", "NameServer", "EnableDHCP"};
    std::string s;
    uint32_t n = 1;
    while (s.size() < size) {
        n = n * 1103515245u + 12345u;
        s += "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections\\";
        s += std::to_string(n % 97);
        s.push_back('\0');
        s += kNames[(n >> 8) % 12];
        s.push_back('\0');
        uint32_t type = (n >> 16) % 4 + 1;
        s.append(reinterpret_cast<const char*>(&type), 4);
        uint32_t value = n % 65536;
        s.append(reinterpret_cast<const char*>(&value), 4);
        if (type == 1) s += "192.168." + std::to_string(n % 256) + "." + std::to_string((n >> 8) % 256);
    }
    s.resize(size);
    return s;
}
