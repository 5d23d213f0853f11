#include "core/port_identity.h"

#include "base/memory.h"
#include "base/text.h"
#include "platform/index_sort.h"

namespace {

// The deepest the device tree is walked: far below any real tree, a bound
// for one that loops.
const int32_t kDeepestAncestor = 64;

// The members of the list's set by node, to find an ancestor's member.
struct MemberIndex {
  HeapBlock<OsDevNode> nodes;
  HeapBlock<int32_t> members;
  int32_t count;
};

// Whether member a's node is below member b's (context: the nodes).
bool NodeBefore(const void* context, int32_t a, int32_t b) {
  const OsDevNode* nodes = static_cast<const OsDevNode*>(context);
  return nodes[a] < nodes[b];
}

// One walk of the set: each member's node, then the members in the order
// of their nodes.
void IndexMembers(const PortDeviceList* list, MemberIndex* index) {
  int32_t capacity = 1024, count = 0;
  HeapBlock<OsDevNode> walked(capacity);
  for (;; count++) {
    OsDeviceData member = {};
    member.size = sizeof member;
    if (OsEnumDevice(list->deviceInfoSet, static_cast<uint32_t>(count), &member) != kOsErrorSuccess) {
      break;
    }
    if (count == capacity) {
      walked.Resize(capacity, 2 * capacity);
      capacity *= 2;
    }
    walked[count] = member.devInst;
  }
  const OsDevNode* nodes = walked.Get();
  index->nodes.Reset(count + 1);
  int32_t* order = index->members.Reset(2 * count + 1);  // its second half the sort's room
  index->count = count;
  for (int32_t m = 0; m < count; m++) order[m] = m;
  SortIndices(order, order + count, count, NodeBefore, nodes);
  for (int32_t k = 0; k < count; k++) index->nodes[k] = nodes[order[k]];
}

// The member data of a node; 0 when the set does not hold it.
int32_t FindMember(const PortDeviceList* list, const MemberIndex& index, OsDevNode node,
                   OsDeviceData* data) {
  int32_t low = 0, high = index.count;
  while (low < high) {
    int32_t middle = low + (high - low) / 2;
    if (index.nodes[middle] < node) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  if (low == index.count || index.nodes[low] != node) return 0;
  MemFill(data, 0, sizeof *data);
  data->size = sizeof *data;
  return OsEnumDevice(list->deviceInfoSet, static_cast<uint32_t>(index.members[low]), data) ==
         kOsErrorSuccess;
}

void ReadHardwareIds(const PortDeviceList* list, OsDeviceData* data, PortIdentity* identity) {
  uint32_t bytes = (kHardwareIdsUnits - 2) * sizeof(char16_t);  // two terminators always follow
  if (OsGetDeviceProperty(list->deviceInfoSet, data, kDevPropHardwareId, identity->hardwareIds,
                          bytes) != kOsErrorSuccess) {
    identity->hardwareIds[0] = 0;
  }
  identity->hardwareIds[kHardwareIdsUnits - 2] = identity->hardwareIds[kHardwareIdsUnits - 1] = 0;
}

// Where a port that has no location path of its own hangs: its nearest
// ancestor that has one (its node, its path). 0 for none.
int32_t PathedAncestor(const PortDeviceList* list, const MemberIndex& index, OsDevNode node,
                       OsDevNode* ancestor, char16_t* path) {
  for (int32_t depth = 0; depth < kDeepestAncestor; depth++) {
    OsDevNode parent;
    OsDeviceData data;
    if (OsGetParentNode(node, &parent) != kOsErrorSuccess || parent == 0) return 0;
    if (FindMember(list, index, parent, &data) &&
        OsGetLocationPath(list->deviceInfoSet, &data, path, kLocationUnits) == kOsErrorSuccess) {
      *ancestor = parent;
      return 1;
    }
    node = parent;
  }
  return 0;
}

// The interface number in an instance ID ("...&MI_02\..."), hexadecimal;
// -1 for none.
int32_t InterfaceNumber(const char16_t* id) {
  for (const char16_t* c = id; *c != 0; c++) {
    if (c[0] == u'&' && TextFoldAscii(c[1]) == u'm' && TextFoldAscii(c[2]) == u'i' && c[3] == u'_') {
      int32_t value = 0, digits = 0;
      for (const char16_t* d = c + 4; digits < 4; d++, digits++) {
        char16_t f = TextFoldAscii(*d);
        int32_t v = f >= u'0' && f <= u'9' ? f - u'0' : f >= u'a' && f <= u'f' ? f - u'a' + 10 : -1;
        if (v < 0) break;
        value = value * 16 + v;
      }
      return digits > 0 ? value : -1;
    }
  }
  return -1;
}

}  // namespace

void ReadIdentities(PortDeviceList* list) {
  if (list->identities != nullptr || list->deviceInfoSet == 0) return;
  int32_t count = list->deviceCount;
  list->identities = static_cast<PortIdentity*>(MemAlloc(sizeof(PortIdentity) * (count + 1)));
  MemberIndex index = {};  // made when first needed
  // The ancestor each port's derived path hangs from, 0 for an own path.
  HeapBlock<OsDevNode> anchors(count + 1);
  for (int32_t i = 0; i < count; i++) {
    PortDevice* d = list->devices[i];
    OsDeviceData data;
    if (!d->serialPort || !FetchDeviceData(list, d, &data)) continue;
    PortIdentity* identity = &list->identities[i];
    d->identity = identity;
    ReadHardwareIds(list, &data, identity);
    OsDevNode parent;
    if (OsGetParentNode(d->deviceNode, &parent) == kOsErrorSuccess && parent != 0) {
      ReadDeviceId(parent, identity->parentId);
    }
    if (d->problemCode == kProblemNotPresent) continue;
    OsGetLocationPath(list->deviceInfoSet, &data, identity->locationPath, kLocationUnits);
    if (index.nodes.Get() == nullptr) IndexMembers(list, &index);
    char16_t ancestorPath[kLocationUnits];
    OsDevNode ancestor;
    if (PathedAncestor(list, index, d->deviceNode, &ancestor, ancestorPath) &&
        (identity->locationPath[0] == 0 ||
         TextCompareAsciiNoCase(identity->locationPath, ancestorPath) == 0)) {
      anchors[i] = ancestor;
      TextCopy(identity->locationPath, kLocationUnits, ancestorPath);
    }
  }
  // A derived path: the ancestor's, and the port's place under it.
  for (int32_t i = 0; i < count; i++) {
    if (anchors[i] == 0) continue;
    const PortDevice* d = list->devices[i];
    // An interface number and a place are written apart, so that the two
    // never give two ports one path.
    int32_t place = InterfaceNumber(d->deviceInstanceId);
    const char16_t* kind = u"#USBMI(";
    if (place < 0) {
      kind = u"#PORT(";
      place = 0;
      for (int32_t k = 0; k < count; k++) {
        place += k != i && anchors[k] == anchors[i] &&
                 TextCompareAsciiNoCase(list->devices[k]->deviceInstanceId, d->deviceInstanceId) < 0;
      }
    }
    char16_t* path = list->identities[i].locationPath;
    TextAppend(path, kLocationUnits, kind);
    TextAppendSigned(path, kLocationUnits, place);
    TextAppend(path, kLocationUnits, u")");
    // A path cut short would name another socket's port: none then.
    if (TextLength(path) + 1 >= kLocationUnits || path[TextLength(path) - 1] != u')') path[0] = 0;
  }
}

bool NamesDeviceOrAncestor(const PortDeviceList* list, const PortDevice* device, const char16_t* id) {
  (void)list;
  if (TextCompareAsciiNoCase(device->deviceInstanceId, id) == 0) return true;
  OsDevNode node = device->deviceNode;
  for (int32_t depth = 0; depth < kDeepestAncestor; depth++) {
    OsDevNode parent;
    char16_t parentId[kDeviceIdUnits];
    if (OsGetParentNode(node, &parent) != kOsErrorSuccess || parent == 0 ||
        !ReadDeviceId(parent, parentId)) {
      return false;
    }
    if (TextCompareAsciiNoCase(parentId, id) == 0) return true;
    node = parent;
  }
  return false;
}

bool HasHardwareId(const PortDevice* device, const char16_t* id) {
  if (device->identity == nullptr) return false;
  for (const char16_t* h = device->identity->hardwareIds; *h != 0; h += TextLength(h) + 1) {
    if (TextCompareAsciiNoCase(h, id) == 0) return true;
  }
  return false;
}
