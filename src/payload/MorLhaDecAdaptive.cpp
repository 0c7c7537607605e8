// The adaptive Huffman methods -lh1- and -lh2-. Their trees are updated after every
// symbol: weights are kept in decreasing order of node index, nodes of equal weight
// form blocks, and a node that grows is first swapped with the leader of its block.
// The trees are built by the decoder alone, never read from the input, but every
// index that leaves them is still checked, so a slip can only end the member early.
#include "payload/MorLhaDecInline.h"

namespace {

constexpr int kCodeRoot = 0;
constexpr int kPositionRoot = 628;
// Leaves of position symbols carry the symbol plus this base.
constexpr int kPositionSymbolBase = 314;
// A tree whose count reaches this is rebuilt with halved weights.
constexpr uint16_t kRebuildCount = 0x8000;
// The position root's weight while the tree has more than one leaf: above every
// other, so no node is ever promoted past it.
constexpr uint16_t kPositionRootWeight = 0xFFFF;
// The position alphabet grows by one symbol per this many bytes of output.
constexpr uint32_t kGrowthStep = 64;
constexpr uint32_t kNoMoreGrowth = 0xFFFFFFFFu;

}  // namespace

bool cMorLhaDec::TakeBlock(int* block) {
  if (freeBlock < 0 || freeBlock >= Tables::kNodes) return false;
  *block = tables->blockStock[freeBlock++];
  return *block >= 0 && *block < Tables::kNodes;
}

bool cMorLhaDec::ReturnBlock(int block) {
  if (freeBlock <= 0) return false;
  tables->blockStock[--freeBlock] = static_cast<int16_t>(block);
  return true;
}

// The literal/length tree over alphabetSize symbols, every weight 1.
void cMorLhaDec::StartCodeTree() {
  Tables& t = *tables;
  const int n = alphabetSize;
  escapeSymbol = n >= 254 + maxMatch ? 512 : n - 1;
  // The whole pool, so that the position tree draws from the same stock.
  for (int i = 0; i < Tables::kNodes; ++i) t.blockStock[i] = static_cast<int16_t>(i);
  for (int i = 0; i < kPositionRoot; ++i) t.blockOf[i] = 0;
  for (int i = 0; i < n; ++i) {
    int j = 2 * n - 2 - i;
    t.freq[j] = 1;
    t.child[j] = static_cast<int16_t>(~i);
    t.symbolNode[i] = static_cast<int16_t>(j);
    t.blockOf[j] = 1;
  }
  freeBlock = 2;
  t.blockLeader[1] = static_cast<int16_t>(n - 1);
  for (int j = n - 2, i = 2 * n - 2; j >= 0; --j, i -= 2) {
    t.freq[j] = static_cast<uint16_t>(t.freq[i] + t.freq[i - 1]);
    t.child[j] = static_cast<int16_t>(i);
    t.parent[i] = t.parent[i - 1] = static_cast<int16_t>(j);
    if (t.freq[j] == t.freq[j + 1]) {
      t.blockOf[j] = t.blockOf[j + 1];
    } else {
      t.blockOf[j] = t.blockStock[freeBlock++];
    }
    t.blockLeader[t.blockOf[j]] = static_cast<int16_t>(j);
  }
}

// The position tree of -lh2-: one leaf, position symbol 0, at the root.
void cMorLhaDec::StartPositionTree() {
  Tables& t = *tables;
  t.freq[kPositionRoot] = 1;
  t.child[kPositionRoot] = static_cast<int16_t>(~kPositionSymbolBase);
  t.symbolNode[kPositionSymbolBase] = kPositionRoot;
  int block = t.blockStock[freeBlock++];
  t.blockOf[kPositionRoot] = static_cast<int16_t>(block);
  t.blockLeader[block] = kPositionRoot;
  positionTotal = 0;
  lastPositionLeaf = kPositionRoot;
  positionLimit = 1u << dictionaryBits;
  nextGrowth = kGrowthStep;
}

// Walks from the root, one bit per level (1 takes the lower-numbered child).
int cMorLhaDec::DecodeTreeSymbol(int root) {
  const int16_t* child = tables->child;
  int c = child[root];
  int steps = 0;
  while (c > 0) {
    if (bitCount == 0) RefillBits();
    int bit = static_cast<int>(bitBuffer >> 63);
    SkipBits(1);
    c = child[c - bit];
    if (++steps > Tables::kNodes) return Fail();
  }
  return ~c;
}

// Raises the weight of node p by one, keeping the weights ordered; returns the next
// node to raise (its parent), or -1 when the tree is found inconsistent.
int cMorLhaDec::Increment(int p) {
  Tables& t = *tables;
  int b = t.blockOf[p];
  int q = t.blockLeader[b];
  bool leaveFront = true;
  if (q != p) {
    // Exchange the subtrees of p and q, the front of p's block.
    int cp = t.child[p];
    int cq = t.child[q];
    t.child[p] = static_cast<int16_t>(cq);
    t.child[q] = static_cast<int16_t>(cp);
    const int nodes[2] = {p, q};
    for (int node : nodes) {
      int c = t.child[node];
      if (c > 0 && c < Tables::kNodes) {
        t.parent[c] = t.parent[c - 1] = static_cast<int16_t>(node);
      } else if (c < 0 && ~c < Tables::kSymbols) {
        t.symbolNode[~c] = static_cast<int16_t>(node);
      } else {
        return -1;
      }
    }
    p = q;
  } else if (p + 1 >= Tables::kNodes || t.blockOf[p + 1] != b) {
    leaveFront = false;
  }
  if (p < 1) return -1;
  if (leaveFront) {
    // p leaves the front of its block for a block of its own or the one ahead.
    ++t.blockLeader[b];
    ++t.freq[p];
    if (t.freq[p] == t.freq[p - 1]) {
      t.blockOf[p] = t.blockOf[p - 1];
    } else {
      int block;
      if (!TakeBlock(&block)) return -1;
      t.blockOf[p] = static_cast<int16_t>(block);
      t.blockLeader[block] = static_cast<int16_t>(p);
    }
  } else {
    // Alone in its block: it either keeps the block or joins the one ahead.
    ++t.freq[p];
    if (t.freq[p] == t.freq[p - 1]) {
      if (!ReturnBlock(b)) return -1;
      t.blockOf[p] = t.blockOf[p - 1];
    }
  }
  return t.parent[p];
}

// Rebuilds nodes start..end-1 with every leaf's weight halved (rounded up).
bool cMorLhaDec::Rebuild(int start, int end) {
  Tables& t = *tables;
  int j = start;
  for (int i = start; i < end; ++i) {
    if (t.child[i] < 0) {
      t.child[j] = t.child[i];
      t.freq[j] = static_cast<uint16_t>((t.freq[i] + 1) / 2);
      ++j;
    }
    int block = t.blockOf[i];
    if (block < 0 || block >= Tables::kNodes) return false;
    if (t.blockLeader[block] == i && !ReturnBlock(block)) return false;
  }
  // Place the leaves from the back, inserting each pair's parent where its weight
  // keeps the order.
  --j;
  int i = end - 1;
  int l = end - 2;
  while (i >= start) {
    while (i >= l) {
      if (j < start) return false;
      t.freq[i] = t.freq[j];
      t.child[i] = t.child[j];
      --i;
      --j;
    }
    uint32_t weight = static_cast<uint32_t>(t.freq[l]) + t.freq[l + 1];
    int k = start;
    while (k <= j && t.freq[k] > weight) ++k;
    while (j >= k) {
      t.freq[i] = t.freq[j];
      t.child[i] = t.child[j];
      --i;
      --j;
    }
    if (i < start) return false;
    t.freq[i] = static_cast<uint16_t>(weight);
    t.child[i] = static_cast<int16_t>(l + 1);
    --i;
    l -= 2;
  }
  // Links and blocks anew.
  int block = 0;
  for (i = start; i < end; ++i) {
    int c = t.child[i];
    if (c < 0) {
      if (~c >= Tables::kSymbols) return false;
      t.symbolNode[~c] = static_cast<int16_t>(i);
    } else {
      if (c < 1 || c >= Tables::kNodes) return false;
      t.parent[c] = t.parent[c - 1] = static_cast<int16_t>(i);
    }
    uint16_t previous = i == start ? 0 : t.freq[i - 1];
    if (t.freq[i] != previous) {
      if (!TakeBlock(&block)) return false;
      t.blockLeader[block] = static_cast<int16_t>(i);
    }
    t.blockOf[i] = static_cast<int16_t>(block);
  }
  return true;
}

bool cMorLhaDec::UpdateCodeTree(int symbol) {
  Tables& t = *tables;
  if (t.freq[kCodeRoot] == kRebuildCount && !Rebuild(kCodeRoot, 2 * alphabetSize - 1)) {
    return false;
  }
  ++t.freq[kCodeRoot];
  int q = t.symbolNode[symbol];
  for (int steps = 0; q != kCodeRoot; ++steps) {
    if (q < 0 || q >= Tables::kNodes || steps > Tables::kNodes) return false;
    q = Increment(q);
  }
  return true;
}

bool cMorLhaDec::UpdatePositionTree(int symbol) {
  Tables& t = *tables;
  if (positionTotal == kRebuildCount) {
    if (!Rebuild(kPositionRoot, lastPositionLeaf + 1)) return false;
    positionTotal = t.freq[kPositionRoot];
    t.freq[kPositionRoot] = kPositionRootWeight;
  }
  int q = t.symbolNode[kPositionSymbolBase + symbol];
  // While position 0 is the only symbol its leaf is the root, which the walk below
  // never raises; its uses still count in its weight, which the leaf keeps when the
  // alphabet grows. The encoders count them, and the codes that follow depend on it.
  if (q == kPositionRoot) ++t.freq[kPositionRoot];
  for (int steps = 0; q != kPositionRoot; ++steps) {
    if (q <= kPositionRoot || q >= Tables::kNodes || steps > Tables::kNodes) return false;
    q = Increment(q);
  }
  ++positionTotal;
  return true;
}

// Splits the last leaf into itself and a new leaf of weight 0 for symbol p.
bool cMorLhaDec::AddPositionSymbol(int p) {
  Tables& t = *tables;
  const int last = lastPositionLeaf;
  const int r = last + 1;
  const int q = r + 1;
  if (q >= Tables::kNodes || t.child[last] >= 0) return false;
  t.child[r] = t.child[last];
  t.symbolNode[~t.child[r]] = static_cast<int16_t>(r);
  t.child[q] = static_cast<int16_t>(~(p + kPositionSymbolBase));
  t.child[last] = static_cast<int16_t>(q);
  t.freq[r] = t.freq[last];
  t.freq[q] = 0;
  t.blockOf[r] = t.blockOf[last];
  if (last == kPositionRoot) {
    t.freq[kPositionRoot] = kPositionRootWeight;
    ++t.blockLeader[t.blockOf[kPositionRoot]];
  }
  t.parent[r] = t.parent[q] = static_cast<int16_t>(last);
  int block;
  if (!TakeBlock(&block)) return false;
  t.blockOf[q] = static_cast<int16_t>(block);
  t.blockLeader[block] = static_cast<int16_t>(q);
  t.symbolNode[p + kPositionSymbolBase] = static_cast<int16_t>(q);
  lastPositionLeaf = q;
  return UpdatePositionTree(p);
}

int cMorLhaDec::DecodeAdaptiveCode() {
  int symbol = DecodeTreeSymbol(kCodeRoot);
  if (symbol < 0 || symbol >= alphabetSize || !UpdateCodeTree(symbol)) return Fail();
  if (symbol == escapeSymbol) symbol += static_cast<int>(GetBits(8));
  return symbol;
}

template <>
int cMorLhaDec::DecodeCode<cMorLhaDec::kLh1>() {
  return DecodeAdaptiveCode();
}

template <>
uint32_t cMorLhaDec::DecodePosition<cMorLhaDec::kLh1>(uint32_t) {
  return DecodeFixedPosition();
}

template <>
int cMorLhaDec::DecodeCode<cMorLhaDec::kLh2>() {
  return DecodeAdaptiveCode();
}

template <>
uint32_t cMorLhaDec::DecodePosition<cMorLhaDec::kLh2>(uint32_t) {
  while (decodedCount > nextGrowth) {
    if (!AddPositionSymbol(static_cast<int>(nextGrowth / kGrowthStep))) return Fail();
    nextGrowth += kGrowthStep;
    if (nextGrowth >= positionLimit) nextGrowth = kNoMoreGrowth;
  }
  int symbol = DecodeTreeSymbol(kPositionRoot) - kPositionSymbolBase;
  if (symbol < 0 || symbol >= 128 || !UpdatePositionTree(symbol)) return Fail();
  return (static_cast<uint32_t>(symbol) << 6) + GetBits(6);
}

template void cMorLhaDec::FillCoded<cMorLhaDec::kLh1>();
template void cMorLhaDec::FillCoded<cMorLhaDec::kLh2>();
