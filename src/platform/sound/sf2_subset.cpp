#include "platform/sound/sf2_subset.h"

#include <array>
#include <cstring>

namespace platform::audio {
namespace {

// A list longer than this is no General MIDI font's; such a font is read whole.
constexpr std::uint64_t LongestPdta = 16u << 20;
// The generators that name an instrument from a preset zone and a sample from an instrument zone.
constexpr std::uint16_t InstrumentOper = 41, SampleOper = 53;
// The sample types that name a linked sample: right, left and linked.
constexpr std::uint16_t LinkedTypes = 0x000E;

std::uint32_t Little(std::span<const std::uint8_t> b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | b[at + i];
    return value;
}

void PutLittle(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        b[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

bool Tag(std::span<const std::uint8_t> b, std::size_t at, const char* tag) {
    return std::memcmp(&b[at], tag, 4) == 0;
}

// One of the pdta list's tables: whole records, the last one the terminal record.
struct Table {
    std::span<const std::uint8_t> bytes;
    std::size_t record = 1;
    std::size_t Count() const { return bytes.size() / record; }
    std::span<const std::uint8_t> Record(std::size_t i) const { return bytes.subspan(i * record, record); }
    std::uint32_t Word(std::size_t i, std::size_t offset) const {
        return Little(bytes, i * record + offset, 2);
    }
};

enum { Phdr, Pbag, Pmod, Pgen, Inst, Ibag, Imod, Igen, Shdr, TableCount };
constexpr std::array<const char*, TableCount> Names = {"phdr", "pbag", "pmod", "pgen", "inst",
                                                       "ibag", "imod", "igen", "shdr"};
constexpr std::array<std::size_t, TableCount> Sizes = {38, 4, 10, 4, 22, 4, 10, 4, 46};
constexpr std::size_t PresetBag = 24, InstrumentBag = 20, SampleLink = 42, SampleType = 44;

// The indexes `field` of a table's records (terminal one included) never go down, nor past `last`.
bool Monotonic(const Table& table, std::size_t field, std::size_t last) {
    for (std::size_t i = 0; i < table.Count(); ++i)
        if (table.Word(i, field) > last || (i > 0 && table.Word(i, field) < table.Word(i - 1, field)))
            return false;
    return true;
}

// The nine tables in the order FluidSynth reads them, each at least its terminal record, every index
// within its table.
std::optional<std::array<Table, TableCount>> ReadTables(std::span<const std::uint8_t> pdta) {
    if (pdta.size() < 12 || !Tag(pdta, 0, "LIST") || !Tag(pdta, 8, "pdta") ||
        Little(pdta, 4, 4) + 8 != pdta.size())
        return std::nullopt;
    std::array<Table, TableCount> tables;
    std::size_t at = 12;
    for (int i = 0; i < TableCount; ++i) {
        if (pdta.size() - at < 8 || !Tag(pdta, at, Names[i]))
            return std::nullopt;
        const std::size_t length = Little(pdta, at + 4, 4);
        if (length > pdta.size() - at - 8 || length % Sizes[i] != 0 || length == 0)
            return std::nullopt;
        tables[i] = Table{pdta.subspan(at + 8, length), Sizes[i]};
        at += 8 + length;
    }
    const auto& t = tables;
    if (at != pdta.size() || !Monotonic(t[Phdr], PresetBag, t[Pbag].Count() - 1) ||
        !Monotonic(t[Inst], InstrumentBag, t[Ibag].Count() - 1))
        return std::nullopt;
    for (int bag : {Pbag, Ibag})
        if (!Monotonic(t[bag], 0, t[bag + 2].Count() - 1) || !Monotonic(t[bag], 2, t[bag + 1].Count() - 1))
            return std::nullopt;
    return tables;
}

void Append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Old indexes to new ones, given in the order first asked for.
struct Renumbering {
    std::vector<int> to_new;
    std::vector<std::size_t> kept;  // old indexes, by new index
    explicit Renumbering(std::size_t count) : to_new(count, -1) {}
    // The new index of `old`; nothing when it is out of range.
    std::optional<std::uint16_t> Map(std::size_t old) {
        if (old >= to_new.size())
            return std::nullopt;
        if (to_new[old] < 0)
            to_new[old] = static_cast<int>(kept.size()), kept.push_back(old);
        return static_cast<std::uint16_t>(to_new[old]);
    }
};

// One level of the hierarchy, presets or instruments: headers, their zones (bags), and the zones'
// modulators and generators.
struct Level {
    const Table &header, &bag, &mod, &gen;
    std::size_t bag_field;
    std::uint16_t link_oper;  // the generator naming the level below
};
struct Built {
    std::vector<std::uint8_t> header, bag, mod, gen;
};

// Appends header `i` and its zones, the generator naming the level below renumbered.
bool CopyHeader(const Level& in, std::size_t i, Built& out, Renumbering& below) {
    Append(out.header, in.header.Record(i));
    PutLittle(out.header, out.header.size() - in.header.record + in.bag_field, out.bag.size() / 4, 2);
    for (std::size_t j = in.header.Word(i, in.bag_field); j < in.header.Word(i + 1, in.bag_field); ++j) {
        out.bag.resize(out.bag.size() + 4);
        PutLittle(out.bag, out.bag.size() - 4, out.gen.size() / 4, 2);
        PutLittle(out.bag, out.bag.size() - 2, out.mod.size() / 10, 2);
        for (std::size_t m = in.bag.Word(j, 2); m < in.bag.Word(j + 1, 2); ++m)
            Append(out.mod, in.mod.Record(m));
        for (std::size_t g = in.bag.Word(j, 0); g < in.bag.Word(j + 1, 0); ++g) {
            Append(out.gen, in.gen.Record(g));
            if (in.gen.Word(g, 0) != in.link_oper)
                continue;
            const auto index = below.Map(in.gen.Word(g, 2));
            if (!index)
                return false;
            PutLittle(out.gen, out.gen.size() - 2, *index, 2);
        }
    }
    return true;
}

// The terminal records, which close each table and give the counts of the last header's zones.
void Terminate(const Level& in, Built& out) {
    const std::size_t last = in.header.Count() - 1;
    Append(out.header, in.header.Record(last));
    PutLittle(out.header, out.header.size() - in.header.record + in.bag_field, out.bag.size() / 4, 2);
    out.bag.resize(out.bag.size() + 4);
    PutLittle(out.bag, out.bag.size() - 4, out.gen.size() / 4, 2);
    PutLittle(out.bag, out.bag.size() - 2, out.mod.size() / 10, 2);
    Append(out.mod, in.mod.Record(in.mod.Count() - 1));
    Append(out.gen, in.gen.Record(in.gen.Count() - 1));
}

// The sample headers kept, with the samples they link to; links renumbered.
std::vector<std::uint8_t> CopySamples(const Table& shdr, Renumbering& samples) {
    for (std::size_t n = 0; n < samples.kept.size(); ++n)
        if (shdr.Word(samples.kept[n], SampleType) & LinkedTypes)
            samples.Map(shdr.Word(samples.kept[n], SampleLink));  // a link out of range is left as it is
    std::vector<std::uint8_t> out;
    for (std::size_t old : samples.kept) {
        Append(out, shdr.Record(old));
        const std::size_t link = shdr.Word(old, SampleLink);
        if (link < samples.to_new.size() && samples.to_new[link] >= 0)
            PutLittle(out, out.size() - shdr.record + SampleLink, samples.to_new[link], 2);
    }
    Append(out, shdr.Record(shdr.Count() - 1));
    return out;
}

std::vector<std::uint8_t> ListOf(const std::array<std::vector<std::uint8_t>, TableCount>& tables) {
    std::vector<std::uint8_t> list{'L', 'I', 'S', 'T', 0, 0, 0, 0, 'p', 'd', 't', 'a'};
    for (int i = 0; i < TableCount; ++i) {
        const std::size_t at = list.size();
        list.insert(list.end(), Names[i], Names[i] + 4);
        list.resize(list.size() + 4);
        PutLittle(list, at + 4, static_cast<std::uint32_t>(tables[i].size()), 4);
        Append(list, tables[i]);
    }
    PutLittle(list, 4, static_cast<std::uint32_t>(list.size() - 8), 4);
    return list;
}

}  // namespace

std::optional<Sf2Layout> FindLayout(const ReadAt& read, std::uint64_t file_size) {
    std::array<std::uint8_t, 12> h;
    if (file_size < 12 || !read(0, h) || !Tag(h, 0, "RIFF") || !Tag(h, 8, "sfbk") ||
        Little(h, 4, 4) + std::uint64_t{8} != file_size)
        return std::nullopt;
    std::uint64_t at = 12;
    for (const char* list : {"INFO", "sdta", "pdta"}) {
        if (file_size - at < 12 || !read(at, h) || !Tag(h, 0, "LIST") || !Tag(h, 8, list) ||
            Little(h, 4, 4) < 4)
            return std::nullopt;
        const std::uint64_t size = 8 + std::uint64_t{Little(h, 4, 4)};
        if (size > file_size - at)
            return std::nullopt;
        if (list[0] == 'p')
            return at + size == file_size && size <= LongestPdta ? std::optional(Sf2Layout{at, size})
                                                                 : std::nullopt;
        at += size;
    }
    return std::nullopt;
}

std::optional<Sf2Subset> SubsetPdta(std::span<const std::uint8_t> pdta, const Presets& wanted) {
    const auto tables = ReadTables(pdta);
    if (!tables)
        return std::nullopt;
    const auto& t = *tables;
    const Level presets{t[Phdr], t[Pbag], t[Pmod], t[Pgen], PresetBag, InstrumentOper};
    const Level instruments{t[Inst], t[Ibag], t[Imod], t[Igen], InstrumentBag, SampleOper};
    Renumbering kept_instruments(t[Inst].Count() - 1), kept_samples(t[Shdr].Count() - 1);
    Built p, i;
    Sf2Subset subset;
    for (std::size_t n = 0; n + 1 < t[Phdr].Count(); ++n) {
        const std::uint32_t program = t[Phdr].Word(n, 20), bank = t[Phdr].Word(n, 22);
        if (bank > 128 || program > 127 || !wanted.test(Preset(bank, program)))
            continue;
        if (!CopyHeader(presets, n, p, kept_instruments))
            return std::nullopt;
        ++subset.presets;
    }
    for (std::size_t n = 0; n < kept_instruments.kept.size(); ++n)
        if (!CopyHeader(instruments, kept_instruments.kept[n], i, kept_samples))
            return std::nullopt;
    Terminate(presets, p);
    Terminate(instruments, i);
    subset.pdta = ListOf(
        {p.header, p.bag, p.mod, p.gen, i.header, i.bag, i.mod, i.gen, CopySamples(t[Shdr], kept_samples)});
    return subset;
}

}  // namespace platform::audio
