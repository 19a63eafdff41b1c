#include "HandBuiltArchive.h"

#include <bzlib.h>
#include <zlib.h>

namespace torvane::zip::test {
namespace {

std::string payloadOf(const Member& m) {
    if (m.method == 8) return rawDeflate(m.data) + m.junk;
    if (m.method == 12) return bzip2(m.data) + m.junk;
    return m.data + m.junk;
}

}  // namespace

void le(std::string& s, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}

std::string rawDeflate(const std::string& in) {
    z_stream zs{};
    deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, in.size()), '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::string bzip2(const std::string& in) {
    std::string out(in.size() + in.size() / 100 + 600, '\0');
    auto n = static_cast<unsigned>(out.size());
    BZ2_bzBuffToBuffCompress(out.data(), &n, const_cast<char*>(in.data()),
                             static_cast<unsigned>(in.size()), 9, 0, 0);
    out.resize(n);
    return out;
}

std::string lines(std::size_t n, unsigned seed) {
    std::string out;
    out.reserve(n + 40);
    for (unsigned i = 0; out.size() < n; ++i)
        out += "line " + std::to_string(i * 2654435761u ^ seed) + " of a member\n";
    out.resize(n);
    return out;
}

Built build(const std::vector<Member>& members, int extraCentral) {
    Built b;
    std::string cd;
    std::vector<std::uint32_t> offsets;
    for (const Member& m : members) {
        std::string payload = payloadOf(m);
        std::uint32_t crc =
            m.crc
                ? *m.crc
                : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                                   static_cast<uInt>(m.data.size())));
        std::uint32_t size = m.zip64Size      ? 0xFFFFFFFFu
                             : m.declaredSize ? *m.declaredSize
                                              : static_cast<std::uint32_t>(m.data.size());
        std::string extra;
        if (m.zip64Size) {
            le(extra, 0x0001, 2);
            le(extra, 8, 2);
            le(extra, *m.zip64Size, 8);
        }
        extra += m.centralExtra;
        offsets.push_back(static_cast<std::uint32_t>(b.bytes.size()));
        std::string& s = b.bytes;
        le(s, 0x04034b50, 4);
        le(s, 20, 2);
        le(s, m.flags, 2);
        le(s, m.method, 2);
        le(s, m.dosTime, 4);
        le(s, crc, 4);
        le(s, payload.size(), 4);
        le(s, size, 4);
        le(s, m.name.size(), 2);
        le(s, m.localExtra.size(), 2);
        s += m.name;
        s += m.localExtra;
        s += payload;
        le(cd, 0x02014b50, 4);
        le(cd, 0x033f, 2);
        le(cd, m.zip64Size ? 45 : 20, 2);
        le(cd, m.flags, 2);
        le(cd, m.method, 2);
        le(cd, m.dosTime, 4);
        le(cd, crc, 4);
        le(cd, payload.size(), 4);
        le(cd, size, 4);
        le(cd, m.name.size(), 2);
        le(cd, extra.size(), 2);
        le(cd, 0, 2);
        le(cd, 0, 2);
        le(cd, 0, 2);
        le(cd, std::uint64_t{m.mode} << 16, 4);
        le(cd, offsets.back(), 4);
        cd += m.name;
        cd += extra;
    }
    for (int i = 0; i < extraCentral; ++i) {
        std::string copy = cd.substr(0, 46 + members[0].name.size());
        cd += copy;
    }
    std::size_t count = members.size() + static_cast<std::size_t>(extraCentral);
    b.cdOffset = b.bytes.size();
    b.bytes += cd;
    b.endOffset = b.bytes.size();
    std::string& s = b.bytes;
    le(s, 0x06054b50, 4);
    le(s, 0, 2);
    le(s, 0, 2);
    le(s, count, 2);
    le(s, count, 2);
    le(s, cd.size(), 4);
    le(s, b.cdOffset, 4);
    le(s, 0, 2);
    return b;
}

void patch(std::string& s, std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

}  // namespace torvane::zip::test
