// The step order of the fast Fourier transforms, written once over a lane interface: bit reversal in
// tiles, the butterfly stages in early, late and final groups, and the axes of the N-dimensional
// transform in cache-sized slices. fft.cpp and fft_lanes_avx2.cpp compile it for each lane path.
//
// A lanes type L has two kernel types, L::Double (fft_complex's precision) and L::Float
// (fft_multidim's), each derived from its twiddle type of fft_twiddles.h and providing:
//   run(a, b, e, len)             the butterflies c = 0..len-1 (len even) of the pairs a[2c..2c+1],
//                                 b[2c..2c+1] with twiddle e[c];
//   first_stages(data, block, e)  the first stages (span 2, or spans 2 and 4) over every sub-block of
//                                 data[1..block] (block ≥ 4 floats) with the early table e; returns the
//                                 span of the next stage;
//   rows(a, b, width, e)          (Float) one twiddle over the pairs a[0..width-1], b[0..width-1]
//                                 (width a multiple of 4).
// Every kernel performs per element the reference's IEEE operations in the reference's precision.
//
// Why the order below keeps every bit: the butterflies of one stage are independent of each other,
// so they may run in whatever order walks memory best, as long as each element meets its stages in
// order and each butterfly meets the same operands and the same twiddle as in the plain loop order.
// Each stage's twiddles come from the same recurrence, started afresh, so a table filled a chunk at
// a time holds the same values as the plain loop's running twiddle.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "numerics/fft_axes.h"
#include "numerics/fft_twiddles.h"

namespace numerics {
namespace fft {

// Twiddles held at a time in a local table: a chunk of one stage, or every stage of an early block.
constexpr std::uint32_t kTableEntries = 128;
// Floats of an early block (1 KiB): every stage whose pairs lie inside it runs block by block, with
// the twiddles of all those stages (spans 2 .. 128, 127 entries) computed once per call.
constexpr std::uint32_t kEarlyBlock = 256;
static_assert(kEarlyBlock / 2 - 1 <= kTableEntries, "the early stages' twiddles fit the table");
// Sub-blocks of a later stage up to which it runs together with the stages after it, so that their
// recurrences overlap; there are at most kFinalStages such stages (1, 2 and 4 sub-blocks).
constexpr std::uint32_t kFewBlocks = 4;
constexpr std::uint32_t kFinalStages = 3;
// Entries of each final stage's table half: the chunk of offsets that the final stages take at once.
constexpr std::uint32_t kFinalChunk = 16;
static_assert(2 * kFinalStages * kFinalChunk <= kTableEntries,
              "both halves of every final stage fit the table");
// Floats of a run group (128 KiB, within the level-2 cache): the N-dimensional transform finishes an
// axis on one group of whole runs before it moves to the next.
constexpr std::uint32_t kRunGroup = 32768;
// Floats of a row taken at least at a time when a slower axis is worked on in column slices (256
// bytes, four cache lines).
constexpr std::uint32_t kSliceColumns = 64;
// Index bits of one side of a bit-reversal tile: 8 complex values, one 64-byte cache line.
constexpr int kTileBits = 3;
// Complex points up to which the runs of the fastest axis share one list of reversal swaps.
constexpr std::uint32_t kReversalPoints = 256;

// ---- Bit reversal (fft_schedule.cpp: no lanes, and kept out of the AVX2 unit's one flattened
// function, whose register pressure would spill their counters) ----

// The swaps of reference::fft_complex's bit reversal over data[1..n] (n floats), in cache-sized tiles.
void bit_reverse(float* data, std::uint32_t n);

// The index pairs (i, rev i), i < rev i, that bit reversal of a sequence of at most kReversalPoints
// complex values trades, so that many runs of one length share one list.
struct ReversalPairs {
  std::uint16_t low[kReversalPoints / 2];
  std::uint16_t high[kReversalPoints / 2];
  std::uint32_t count;
  bool listed;  // false for longer sequences, which bit_reverse reorders
};
void list_reversal_pairs(ReversalPairs& pairs, std::uint32_t points);
// Bit reversal of each run of run_length floats in data[1..total], by the listed pairs if any.
void bit_reverse_runs(float* data, std::uint32_t total, std::uint32_t run_length, const ReversalPairs& pairs);

// ---- Butterfly stages of contiguous complex runs ----

// The twiddles of every stage inside an early block, stage after stage (spans 2 .. block/2, span/2
// entries each), each stage's recurrence started afresh.
template <class K>
void fill_early_table(typename K::Entry* table, std::uint32_t block, int direction) {
  std::uint32_t used = 0;
  for (std::uint32_t span = 2; span < block; span <<= 1) {
    Twiddle w = make_twiddle(K::theta(direction, span));
    fill_twiddles<K>(table + used, span >> 1, w);
    used += span >> 1;
  }
}

// The stages of spans 2 .. block/2 over data[1..block], one block after another instead of one stage
// over the whole array after another: the pair of complex offset c in each sub-block of 2·span floats
// uses the stage's twiddle c. Stage s's entries start at table[s/2 - 1].
template <class K>
void early_block(float* data, std::uint32_t block, const typename K::Entry* table) {
  for (std::uint32_t span = K::first_stages(data, block, table); span < block; span <<= 1) {
    const typename K::Entry* const stage = table + (span >> 1) - 1;
    for (std::uint32_t i0 = 1; i0 < block; i0 += span << 1)
      K::run(data + i0, data + i0 + span, stage, span >> 1);
  }
}

// One later stage over data[1..total]: the recurrence yields a chunk of twiddles, which then serves
// the same offsets of every sub-block of 2·span floats, walking each one contiguously.
template <class K>
void late_stage(float* data, std::uint32_t total, std::uint32_t span, int direction,
                typename K::Entry* chunk) {
  Twiddle w = make_twiddle(K::theta(direction, span));
  const std::uint32_t half = span >> 1;
  for (std::uint32_t c0 = 0; c0 < half; c0 += kTableEntries) {
    const std::uint32_t len = std::min(kTableEntries, half - c0);
    fill_twiddles<K>(chunk, len, w);
    for (std::uint32_t i0 = 1 + 2 * c0; i0 < total; i0 += span << 1)
      K::run(data + i0, data + i0 + span, chunk, len);
  }
}

// One of the final stages below: its span, its recurrence and the two halves of its table.
template <class K>
struct FinalStage {
  std::uint32_t span;
  Twiddle w;
  typename K::Entry* current;
  typename K::Entry* next;
  std::uint32_t filled;  // entries of `next` computed so far
};

// Advances the recurrence of every final stage that has a chunk after c0 until `target` entries of
// its next half are computed.
template <class K>
void fill_final(FinalStage<K>* stages, std::uint32_t count, std::uint32_t c0, std::uint32_t target) {
  for (std::uint32_t j = 0; j < count; ++j) {
    FinalStage<K>& s = stages[j];
    if (c0 + kFinalChunk >= s.span >> 1) continue;
    if (s.filled >= target) continue;
    fill_twiddles<K>(s.next + s.filled, target - s.filled, s.w);
    s.filled = target;
  }
}

// The last stages of runs of run_length floats, those of at most kFewBlocks sub-blocks in
// data[1..total] (spans first_span .. run_length/2), where one step of the recurrence, a chain of
// dependent double operations, serves only a few butterflies. They run together, a chunk of offsets
// c at a time: offset c of every one of these stages whose sub-blocks are longer than c, the
// smallest span first, so that each element still passes the stages in order. Their recurrences
// are independent of each other and of the data, so they can overlap: while the butterflies read
// the current half of each table, the recurrences fill the next half, a share after each run.
template <class K>
void final_stages(float* data, std::uint32_t total, std::uint32_t run_length, std::uint32_t first_span,
                  int direction, typename K::Entry* table) {
  FinalStage<K> stages[kFinalStages];
  std::uint32_t count = 0;
  for (std::uint32_t span = first_span; span < run_length; span <<= 1, ++count) {
    FinalStage<K>& s = stages[count];
    s = FinalStage<K>{span, make_twiddle(K::theta(direction, span)), table + count * kFinalChunk,
                      table + (kFinalStages + count) * kFinalChunk, 0};
    fill_twiddles<K>(s.current, kFinalChunk, s.w);
  }
  for (std::uint32_t c0 = 0; c0 < run_length >> 2; c0 += kFinalChunk) {
    std::uint32_t runs = 0;
    for (std::uint32_t j = 0; j < count; ++j) {
      if (c0 < stages[j].span >> 1) runs += total / (stages[j].span << 1);
    }
    std::uint32_t done = 0;
    for (std::uint32_t j = 0; j < count; ++j) {
      const FinalStage<K>& s = stages[j];
      if (c0 >= s.span >> 1) continue;  // this stage is finished
      for (std::uint32_t i0 = 1 + 2 * c0; i0 < total; i0 += s.span << 1) {
        K::run(data + i0, data + i0 + s.span, s.current, kFinalChunk);
        fill_final<K>(stages, count, c0, kFinalChunk * ++done / runs);
      }
    }
    for (std::uint32_t j = 0; j < count; ++j) {
      std::swap(stages[j].current, stages[j].next);
      stages[j].filled = 0;
    }
  }
}

// All butterfly stages of the bit-reversed complex runs of `run` floats that tile data[1..total]:
// the early stages block by block, the later ones stage by stage, the last ones together.
template <class K>
void butterflies(float* data, std::uint32_t total, std::uint32_t run, int direction) {
  typename K::Entry table[kTableEntries];
  const std::uint32_t block = std::min(run, kEarlyBlock);
  if (block >= 4) {
    fill_early_table<K>(table, block, direction);
    for (std::uint32_t base = 0; base < total; base += block) early_block<K>(data + base, block, table);
  }
  std::uint32_t span = block;
  for (; span < run && total / (span << 1) > kFewBlocks; span <<= 1)
    late_stage<K>(data, total, span, direction, table);
  if (span < run) final_stages<K>(data, total, run, span, direction, table);
}

// reference::fft_complex's stages of bit reversal and butterflies, reordered as above.
template <class Lanes>
void transform_complex(float* data, std::uint32_t count, int direction) {
  const std::uint32_t n = count << 1;
  bit_reverse(data, n);
  butterflies<typename Lanes::Double>(data, n, n, direction);
}

// ---- Axes of the N-dimensional transform ----

// The part of a slower axis finished in cache before the next: whole runs begin .. end−1 (floats,
// offsets into the array) and of each row the columns column .. column+width−1.
struct Slice {
  std::uint32_t begin;
  std::uint32_t end;
  std::uint32_t column;
  std::uint32_t width;
};

// Bit reversal along an axis (fft_schedule.cpp): within each run of the slice the rows trade places.
void bit_reverse_rows(float* data, const Axis& a, const Slice& s);

// Butterflies along an axis whose rows hold at least two complex values: one twiddle serves a whole
// row pair, so the rows are walked contiguously. Each slice restarts the recurrence, which yields
// the same twiddles.
template <class K>
void butterflies_rows(float* data, const Axis& a, const Slice& s, int direction) {
  for (std::uint32_t f1 = a.p1; f1 < a.p2; f1 <<= 1) {
    const std::uint32_t f2 = f1 << 1;
    Twiddle w = make_twiddle(K::theta(direction, f2 / a.p1));
    for (std::uint32_t i3 = 1; i3 <= f1; i3 += a.p1) {
      const typename K::Entry e = K::entry(w);
      for (std::uint32_t k1 = s.begin + i3 + s.column; k1 < s.end; k1 += f2)
        K::rows(data + k1, data + k1 + f1, s.width, e);
      advance(w);
    }
  }
}

// One slower axis, a cache's worth at a time: groups of whole runs while a run fits in a run group,
// otherwise column slices of each run narrow enough that the slice of all its rows fits. Every
// column goes through the same swaps and butterflies in the same order as in whole passes over the
// array, so only the order across columns changes: a single pass over memory replaces one per stage.
template <class K>
void transform_rows(float* data, const Axis& a, int direction) {
  const std::uint32_t group = std::max(a.p2, std::min(a.p3, kRunGroup));
  // Whole rows while a run fits in a run group (then kRunGroup / rows ≥ p1).
  const std::uint32_t rows_per_run = a.p2 / a.p1;
  const std::uint32_t width = std::min(a.p1, std::max(kRunGroup / rows_per_run, kSliceColumns));
  for (std::uint32_t base = 0; base < a.p3; base += group) {
    for (std::uint32_t column = 0; column < a.p1; column += width) {
      const Slice s{base, base + group, column, width};
      bit_reverse_rows(data, a, s);
      butterflies_rows<K>(data, a, s, direction);
    }
  }
}

// The fastest axis, where each run is a complex sequence of its own: groups of whole runs, each
// reordered and then transformed while it is in cache.
template <class K>
void transform_runs(float* data, const Axis& a, int direction) {
  const std::uint32_t group = std::max(a.p2, std::min(a.p3, kRunGroup));
  ReversalPairs pairs;
  list_reversal_pairs(pairs, a.p2 >> 1);
  for (std::uint32_t begin = 0; begin < a.p3; begin += group) {
    bit_reverse_runs(data + begin, group, a.p2, pairs);
    butterflies<K>(data + begin, group, a.p2, direction);
  }
}

// reference::fft_multidim's axes, last first, each reordered as above.
template <class Lanes>
void transform_multidim(float* data, const std::uint32_t* dims, int ndims, int direction) {
  for_each_axis(dims, ndims, [data, direction](const Axis& a) {
    if (a.p1 == 2) {
      transform_runs<typename Lanes::Float>(data, a, direction);
    } else {
      transform_rows<typename Lanes::Float>(data, a, direction);
    }
  });
}

// The lane-dependent passes of the transforms on one lane path.
struct Passes {
  void (*complex)(float* data, std::uint32_t count, int direction);
  void (*multidim)(float* data, const std::uint32_t* dims, int ndims, int direction);
};

template <class Lanes>
Passes passes_on() {
  return Passes{transform_complex<Lanes>, transform_multidim<Lanes>};
}

// The passes compiled for the AVX2 lanes (fft_lanes_avx2.cpp), present where NUMERICS_FFT_AVX2 is set.
Passes avx2_passes();

}  // namespace fft
}  // namespace numerics
