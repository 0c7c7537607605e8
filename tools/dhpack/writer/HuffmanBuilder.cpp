#include "HuffmanBuilder.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

namespace {

// Depths of the leaves of an ordinary Huffman tree over the used symbols.
std::vector<int> TreeDepths(const std::vector<uint32_t>& weights) {
  const int leaves = static_cast<int>(weights.size());
  std::vector<int> parent(2 * leaves, -1);
  using Node = std::pair<uint64_t, int>;
  std::priority_queue<Node, std::vector<Node>, std::greater<Node>> queue;
  for (int i = 0; i < leaves; ++i) queue.push({weights[i], i});
  int next = leaves;
  while (queue.size() > 1) {
    Node a = queue.top();
    queue.pop();
    Node b = queue.top();
    queue.pop();
    parent[a.second] = next;
    parent[b.second] = next;
    queue.push({a.first + b.first, next++});
  }
  std::vector<int> depth(next, 0);
  for (int node = next - 2; node >= 0; --node) depth[node] = depth[parent[node]] + 1;
  depth.resize(leaves);
  return depth;
}

}  // namespace

std::vector<uint8_t> cHuffmanBuilder::Lengths(const std::vector<uint32_t>& frequencies,
                                              int maxLength) {
  std::vector<uint8_t> lengths(frequencies.size(), 0);
  std::vector<int> used;
  for (size_t i = 0; i < frequencies.size(); ++i) {
    if (frequencies[i] > 0) used.push_back(static_cast<int>(i));
  }
  if (used.size() < 2) return lengths;
  std::vector<uint32_t> weights;
  for (int symbol : used) weights.push_back(frequencies[symbol]);
  const std::vector<int> depth = TreeDepths(weights);

  // How many leaves sit at each length, the deep ones pulled up to the limit. That
  // only raises the Kraft sum; each round below lowers it by exactly one unit of
  // 2^-maxLength (one leaf at the limit goes, one shallower leaf becomes two one
  // level deeper), so it ends with a complete code within the limit.
  std::vector<uint32_t> count(maxLength + 1, 0);
  for (int d : depth) ++count[std::min(d, maxLength)];
  uint64_t kraft = 0;
  for (int len = 1; len <= maxLength; ++len) kraft += uint64_t{count[len]} << (maxLength - len);
  const uint64_t full = uint64_t{1} << maxLength;
  while (kraft > full) {
    --count[maxLength];
    for (int len = maxLength - 1; len > 0; --len) {
      if (count[len] > 0) {
        --count[len];
        count[len + 1] += 2;
        break;
      }
    }
    --kraft;
  }

  // The most frequent symbols get the shortest lengths.
  std::vector<int> order(used);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return frequencies[a] > frequencies[b]; });
  size_t next = 0;
  for (int len = 1; len <= maxLength; ++len) {
    for (uint32_t k = 0; k < count[len]; ++k) lengths[order[next++]] = static_cast<uint8_t>(len);
  }
  return lengths;
}

std::vector<uint16_t> cHuffmanBuilder::Codes(const std::vector<uint8_t>& lengths) {
  std::vector<uint16_t> codes(lengths.size(), 0);
  uint32_t code = 0;
  for (int len = 1; len <= 16; ++len) {
    for (size_t i = 0; i < lengths.size(); ++i) {
      if (lengths[i] == len) codes[i] = static_cast<uint16_t>(code++);
    }
    code <<= 1;
  }
  return codes;
}
