#include "ColourQuantiser.h"

#include "capture/NearestColour.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kNoColour = 0xFFFFFFFFu;

// Above this many distinct colours the clustering works on 6-bit cells
// (their mean colour and pixel count) instead of on every colour, which
// keeps a photograph's hundreds of thousands of colours fast.
constexpr size_t kExactPointLimit = 1u << 16;
constexpr int kCellBits = 6;
constexpr int kRefinementRounds = 3;

// Distinct colours with their pixel counts, up to kExactPointLimit of them.
class ColourCounter {
public:
    ColourCounter() : slots_(kSlots, Slot{kNoColour, 0}) {}

    // False once the picture has more colours than can be counted exactly.
    bool add(uint32_t colour, uint32_t pixels) {
        Slot& slot = slots_[find(colour)];
        if (slot.colour == kNoColour) {
            if (colours_.size() >= kExactPointLimit) {
                return false;
            }
            slot.colour = colour;
            slot.value = static_cast<uint32_t>(colours_.size());
            colours_.push_back(colour);
            counts_.push_back(0);
        }
        counts_[slot.value] += pixels;
        return true;
    }

    // The number of a colour that was added.
    uint32_t numberOf(uint32_t colour) const { return slots_[find(colour)].value; }

    const std::vector<uint32_t>& colours() const { return colours_; }
    const std::vector<uint32_t>& counts() const { return counts_; }

private:
    static constexpr size_t kSlots = 2 * kExactPointLimit;

    struct Slot {
        uint32_t colour;
        uint32_t value;
    };

    size_t find(uint32_t colour) const {
        size_t slot = (colour * 0x9E3779B1u) >> (32 - std::bit_width(kSlots - 1));
        while (slots_[slot].colour != colour && slots_[slot].colour != kNoColour) {
            slot = (slot + 1) & (kSlots - 1);
        }
        return slot;
    }

    std::vector<Slot> slots_;
    std::vector<uint32_t> colours_;
    std::vector<uint32_t> counts_;
};

// Pixel count and channel sums of each 6-bit cell of colour space.
struct CellSums {
    uint32_t pixels;
    uint64_t sum[3];
};

constexpr uint32_t CellOf(uint32_t rgb) {
    constexpr int shift = 8 - kCellBits;
    return (((rgb >> 16) & 0xFF) >> shift) << (2 * kCellBits) |
           (((rgb >> 8) & 0xFF) >> shift) << kCellBits | ((rgb & 0xFF) >> shift);
}

// Calls visit(colour, y, begin, end) once for each run of equal pixels in a row:
// screens are mostly long runs of one colour.
template <typename Visit>
void ForEachRun(const QImage& image, Visit&& visit) {
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            const uint32_t colour = line[x] & 0xFFFFFFu;
            int end = x + 1;
            while (end < width && (line[end] & 0xFFFFFFu) == colour) {
                ++end;
            }
            visit(colour, y, x, end);
            x = end;
        }
    }
}

struct Point {
    Colour colour;
    float weight;
};

int BinOf(float value) {
    return std::clamp(static_cast<int>(value + 0.5f), 0, 255);
}

// A run of points cut out of colour space, with the best place to split it
// in two along one channel (the cut that lowers the squared error most).
struct Box {
    size_t begin = 0;
    size_t end = 0;
    double weight = 0;
    std::array<double, 3> sum{};
    int axis = -1;
    int cut = 0;
    double gain = 0;
};

void Measure(Box& box, const std::vector<Point>& points) {
    struct Bin {
        double weight;
        std::array<double, 3> sum;
    };
    std::array<std::array<Bin, 256>, 3> bins{};
    box.weight = 0;
    box.sum = {};
    for (size_t i = box.begin; i < box.end; ++i) {
        const Point& p = points[i];
        const std::array<double, 3> weighted{p.weight * double(p.colour[0]),
                                             p.weight * double(p.colour[1]),
                                             p.weight * double(p.colour[2])};
        for (int axis = 0; axis < 3; ++axis) {
            Bin& bin = bins[axis][BinOf(p.colour[axis])];
            bin.weight += p.weight;
            for (int c = 0; c < 3; ++c) {
                bin.sum[c] += weighted[c];
            }
        }
        box.weight += p.weight;
        for (int c = 0; c < 3; ++c) {
            box.sum[c] += weighted[c];
        }
    }
    auto squared = [](const std::array<double, 3>& s) {
        return s[0] * s[0] + s[1] * s[1] + s[2] * s[2];
    };
    const double whole = box.weight > 0 ? squared(box.sum) / box.weight : 0;
    box.axis = -1;
    box.gain = 0;
    for (int axis = 0; axis < 3; ++axis) {
        double leftWeight = 0;
        std::array<double, 3> leftSum{};
        for (int cut = 0; cut < 255; ++cut) {
            const Bin& bin = bins[axis][cut];
            if (bin.weight == 0) {
                continue;
            }
            leftWeight += bin.weight;
            for (int c = 0; c < 3; ++c) {
                leftSum[c] += bin.sum[c];
            }
            const double rightWeight = box.weight - leftWeight;
            if (rightWeight < 0.5) {
                break;
            }
            const std::array<double, 3> rightSum{box.sum[0] - leftSum[0], box.sum[1] - leftSum[1],
                                                 box.sum[2] - leftSum[2]};
            const double gain =
                squared(leftSum) / leftWeight + squared(rightSum) / rightWeight - whole;
            if (gain > box.gain) {
                box.gain = gain;
                box.axis = axis;
                box.cut = cut;
            }
        }
    }
}

// Greedy splitting by largest error reduction (Wu's criterion on points).
std::vector<Colour> SplitIntoBoxes(std::vector<Point>& points, int maxColours) {
    std::vector<Box> boxes(1);
    boxes[0].end = points.size();
    Measure(boxes[0], points);
    while (static_cast<int>(boxes.size()) < maxColours) {
        auto best = std::max_element(boxes.begin(), boxes.end(),
                                     [](const Box& a, const Box& b) { return a.gain < b.gain; });
        if (best->axis < 0) {
            break;
        }
        const int axis = best->axis;
        const int cut = best->cut;
        const auto middle =
            std::partition(points.begin() + static_cast<std::ptrdiff_t>(best->begin),
                           points.begin() + static_cast<std::ptrdiff_t>(best->end),
                           [&](const Point& p) { return BinOf(p.colour[axis]) <= cut; });
        Box upper;
        upper.begin = static_cast<size_t>(middle - points.begin());
        upper.end = best->end;
        best->end = upper.begin;
        Measure(*best, points);
        Measure(upper, points);
        boxes.push_back(upper);
    }
    std::vector<Colour> centres;
    centres.reserve(boxes.size());
    for (const Box& box : boxes) {
        centres.push_back({static_cast<float>(box.sum[0] / box.weight),
                           static_cast<float>(box.sum[1] / box.weight),
                           static_cast<float>(box.sum[2] / box.weight)});
    }
    return centres;
}

// Lloyd's k-means on the weighted points, starting from the split boxes.
void Refine(std::vector<Colour>& centres, const std::vector<Point>& points) {
    const size_t k = centres.size();
    std::vector<int> assignment(points.size(), -1);
    for (int round = 0; round < kRefinementRounds; ++round) {
        NearestColour nearest(centres);
        std::vector<std::array<double, 4>> sums(k, std::array<double, 4>{});
        size_t moved = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            const Point& p = points[i];
            const int best = nearest.find(p.colour);
            if (best != assignment[i]) {
                ++moved;
                assignment[i] = best;
            }
            auto& s = sums[static_cast<size_t>(best)];
            s[0] += p.weight * double(p.colour[0]);
            s[1] += p.weight * double(p.colour[1]);
            s[2] += p.weight * double(p.colour[2]);
            s[3] += p.weight;
        }
        for (size_t c = 0; c < k; ++c) {
            if (sums[c][3] > 0) {
                centres[c] = {static_cast<float>(sums[c][0] / sums[c][3]),
                              static_cast<float>(sums[c][1] / sums[c][3]),
                              static_cast<float>(sums[c][2] / sums[c][3])};
            }
        }
        if (round > 0 && moved * 1000 < points.size()) {
            break;
        }
    }
}

// Writes each pixel's table index, given a function from colour to index.
template <typename IndexOf>
QImage IndexedPicture(const QImage& image, const QList<QRgb>& table, IndexOf&& indexOf) {
    QImage result(image.width(), image.height(), QImage::Format_Indexed8);
    if (result.isNull()) {
        return result;
    }
    result.setColorTable(table);
    uchar* bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    ForEachRun(image, [&](uint32_t colour, int y, int begin, int end) {
        uchar* line = bits + stride * y;
        std::fill(line + begin, line + end, indexOf(colour));
    });
    return result;
}

// The points to cluster: every colour when there are few enough, else the
// mean colour of each occupied cell, weighted by its pixel count.
std::vector<Point> PointsOf(const ColourCounter& counter, bool exact,
                            const std::vector<CellSums>& cells) {
    std::vector<Point> points;
    if (exact) {
        points.reserve(counter.colours().size());
        for (size_t i = 0; i < counter.colours().size(); ++i) {
            points.push_back(
                {ChannelsOf(counter.colours()[i]), static_cast<float>(counter.counts()[i])});
        }
        return points;
    }
    for (const CellSums& cell : cells) {
        if (cell.pixels == 0) {
            continue;
        }
        const double n = cell.pixels;
        points.push_back({{static_cast<float>(cell.sum[0] / n), static_cast<float>(cell.sum[1] / n),
                           static_cast<float>(cell.sum[2] / n)},
                          static_cast<float>(n)});
    }
    return points;
}

}  // namespace

namespace ColourQuantiser {

QImage Quantise(const QImage& source, int maxColours) {
    if (source.isNull()) {
        return {};
    }
    maxColours = std::clamp(maxColours, 2, 256);
    const QImage image =
        (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32)
            ? source
            : source.convertToFormat(QImage::Format_RGB32);

    auto counter = std::make_unique<ColourCounter>();
    std::vector<CellSums> cells(size_t{1} << (3 * kCellBits), CellSums{0, {0, 0, 0}});
    bool exact = true;
    ForEachRun(image, [&](uint32_t colour, int, int begin, int end) {
        const auto pixels = static_cast<uint32_t>(end - begin);
        CellSums& cell = cells[CellOf(colour)];
        cell.pixels += pixels;
        cell.sum[0] += ((colour >> 16) & 0xFF) * pixels;
        cell.sum[1] += ((colour >> 8) & 0xFF) * pixels;
        cell.sum[2] += (colour & 0xFF) * pixels;
        exact = exact && counter->add(colour, pixels);
    });

    if (exact && counter->colours().size() <= static_cast<size_t>(maxColours)) {
        QList<QRgb> table;
        for (uint32_t colour : counter->colours()) {
            table.append(0xFF000000u | colour);
        }
        return IndexedPicture(image, table, [&](uint32_t colour) {
            return static_cast<uchar>(counter->numberOf(colour));
        });
    }

    std::vector<Point> points = PointsOf(*counter, exact, cells);
    cells = {};
    std::vector<Point> ordered = points;  // splitting reorders them
    std::vector<Colour> centres = SplitIntoBoxes(ordered, maxColours);
    ordered = {};
    Refine(centres, points);

    // The final table holds whole colours; twins are merged.
    QList<QRgb> table;
    std::vector<Colour> palette;
    for (const Colour& c : centres) {
        const QRgb rgb = qRgb(BinOf(c[0]), BinOf(c[1]), BinOf(c[2]));
        if (!table.contains(rgb)) {
            table.append(rgb);
            palette.push_back(ChannelsOf(rgb));
        }
    }
    NearestColour nearest(palette);
    QImage result;
    if (exact) {
        std::vector<uchar> indexOf(counter->colours().size());
        for (size_t i = 0; i < indexOf.size(); ++i) {
            indexOf[i] = static_cast<uchar>(nearest.find(ChannelsOf(counter->colours()[i])));
        }
        result = IndexedPicture(
            image, table, [&](uint32_t colour) { return indexOf[counter->numberOf(colour)]; });
    } else {
        // Each colour is looked up once, and remembered in a table over all
        // 2^24 colours whose pages are only touched where the picture has colours.
        counter.reset();
        std::unique_ptr<uchar[]> indexOf(new (std::nothrow) uchar[size_t{1} << 24]);
        if (!indexOf) {
            return {};
        }
        std::vector<uint64_t> known((size_t{1} << 24) / 64, 0);
        result = IndexedPicture(image, table, [&](uint32_t colour) {
            uint64_t& word = known[colour >> 6];
            const uint64_t bit = uint64_t{1} << (colour & 63);
            if (!(word & bit)) {
                word |= bit;
                indexOf[colour] = static_cast<uchar>(nearest.find(ChannelsOf(colour)));
            }
            return indexOf[colour];
        });
    }

    if (result.isNull()) {
        return result;
    }
    // Entries no pixel took are dropped, so the table holds only used colours.
    uchar* bits = result.bits();
    const qsizetype stride = result.bytesPerLine();
    const int width = result.width();
    const int height = result.height();
    std::array<uchar, 256> used{};
    for (int y = 0; y < height; ++y) {
        for (const uchar* p = bits + stride * y; p < bits + stride * y + width; ++p) {
            used[*p] = 1;
        }
    }
    if (std::count(used.begin(), used.begin() + table.size(), 1) < table.size()) {
        QList<QRgb> compact;
        std::array<uchar, 256> renumber{};
        for (qsizetype e = 0; e < table.size(); ++e) {
            if (used[static_cast<size_t>(e)]) {
                renumber[static_cast<size_t>(e)] = static_cast<uchar>(compact.size());
                compact.append(table[e]);
            }
        }
        for (int y = 0; y < height; ++y) {
            for (uchar* p = bits + stride * y; p < bits + stride * y + width; ++p) {
                *p = renumber[*p];
            }
        }
        result.setColorTable(compact);
    }
    return result;
}

}  // namespace ColourQuantiser
