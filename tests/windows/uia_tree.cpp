// A UI Automation client for the Windows checks: finds the visible top-level
// window whose title ends in TITLE_END, walks its UI Automation tree (the
// raw view: every element, down to DEPTH levels below the window where
// given) depth first and prints one line per element:
//
//   DEPTH <tab> TYPE <tab> OFFSCREEN <tab> FOCUSED <tab> SELECTED <tab> NAME
//
// DEPTH is 0 for the window itself; TYPE is the control type's name
// ("List", "ListItem", ...) or its number where this client has no name for
// it; OFFSCREEN (IsOffscreen), FOCUSED (HasKeyboardFocus) and SELECTED (the
// SelectionItem pattern's IsSelected) are 1, 0, or - where the element does
// not say; NAME is the name in UTF-8, with tab, line breaks and backslash
// written \t, \n, \r and \\.
//
//   uia_tree.exe TITLE_END [DEPTH]
//
// Each element costs a few calls into the program's process, which under
// Wine take their time; DEPTH 1 reads the window's controls alone.
//
// Exit status: 0 tree printed, 1 no such window or UI Automation failed
// (said on standard error), 2 usage.
//
// It uses UI Automation's flat client functions (UiaNodeFromHandle,
// UiaNavigate, UiaGetPropertyValue), which both Windows and Wine export from
// uiautomationcore.dll but MinGW-w64 (10, in Debian 12) neither declares nor
// has an import library for; they are looked up at run time instead.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>

namespace {

// The declarations of uiautomationcoreapi.h that MinGW-w64 lacks, under
// names of our own so that a header that has them does not clash.
using Node = void*;
using PropertyId = int;
struct Condition {
  int type;  // ConditionType_True: every element
};
struct CacheRequest {
  Condition* view;
  int scope;  // TreeScope_Element
  PropertyId* properties;
  int propertyCount;
  int* patterns;
  int patternCount;
  int elementMode;  // AutomationElementMode_Full
};
constexpr int kConditionTrue = 0;
constexpr int kTreeScopeElement = 1;
constexpr int kElementModeFull = 1;
constexpr int kNextSibling = 1;
constexpr int kFirstChild = 3;

constexpr PropertyId kControlType = 30003;
constexpr PropertyId kName = 30005;
constexpr PropertyId kHasKeyboardFocus = 30008;
constexpr PropertyId kIsOffscreen = 30022;
constexpr PropertyId kIsSelected = 30079;

using NodeFromHandleFn = HRESULT(WINAPI*)(HWND, Node*);
using NavigateFn = HRESULT(WINAPI*)(Node, int, Condition*, CacheRequest*, SAFEARRAY**, BSTR*);
using GetPropertyValueFn = HRESULT(WINAPI*)(Node, PropertyId, VARIANT*);
using NodeFromVariantFn = HRESULT(WINAPI*)(VARIANT*, Node*);
using NodeReleaseFn = BOOL(WINAPI*)(Node);

struct Uia {
  NodeFromHandleFn nodeFromHandle;
  NavigateFn navigate;
  GetPropertyValueFn getPropertyValue;
  NodeFromVariantFn nodeFromVariant;
  NodeReleaseFn nodeRelease;
};

// A bound on the walk, should a provider's siblings ever run in a circle.
constexpr int kMostElements = 2000;

// The control types the program's window has, and a few more.
constexpr std::pair<int, const wchar_t*> kTypeNames[] = {
    {50000, L"Button"}, {50003, L"ComboBox"},  {50004, L"Edit"}, {50007, L"ListItem"},
    {50008, L"List"},   {50014, L"ScrollBar"}, {50020, L"Text"}, {50025, L"Custom"},
    {50026, L"Group"},  {50032, L"Window"},    {50033, L"Pane"}, {50037, L"TitleBar"}};

std::wstring TypeName(int type) {
  for (const auto& [number, name] : kTypeNames) {
    if (number == type) {
      return name;
    }
  }
  return std::to_wstring(type);
}

std::wstring Escaped(const wchar_t* text) {
  std::wstring out;
  for (; text != nullptr && *text != L'\0'; ++text) {
    const wchar_t* escape = *text == L'\t'   ? L"\\t"
                            : *text == L'\n' ? L"\\n"
                            : *text == L'\r' ? L"\\r"
                            : *text == L'\\' ? L"\\\\"
                                             : nullptr;
    if (escape != nullptr) {
      out += escape;
    } else {
      out += *text;
    }
  }
  return out;
}

// Written as UTF-8 bytes whatever the console's code page, so that a pipe
// receives the names as they are.
void Print(const std::wstring& line) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size,
                      nullptr, nullptr);
  bytes += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::wstring Flag(const Uia& uia, Node node, PropertyId property) {
  VARIANT value;
  VariantInit(&value);
  std::wstring flag = L"-";
  if (SUCCEEDED(uia.getPropertyValue(node, property, &value)) && value.vt == VT_BOOL) {
    flag = value.boolVal != VARIANT_FALSE ? L"1" : L"0";
  }
  VariantClear(&value);
  return flag;
}

std::wstring Describe(const Uia& uia, Node node, int depth) {
  VARIANT value;
  VariantInit(&value);
  std::wstring type = L"-";
  if (SUCCEEDED(uia.getPropertyValue(node, kControlType, &value)) && value.vt == VT_I4) {
    type = TypeName(value.lVal);
  }
  VariantClear(&value);
  std::wstring name;
  if (SUCCEEDED(uia.getPropertyValue(node, kName, &value)) && value.vt == VT_BSTR) {
    name = Escaped(value.bstrVal);
  }
  VariantClear(&value);
  return std::to_wstring(depth) + L'\t' + type + L'\t' + Flag(uia, node, kIsOffscreen) + L'\t' +
         Flag(uia, node, kHasKeyboardFocus) + L'\t' + Flag(uia, node, kIsSelected) + L'\t' + name;
}

// The element in `direction` from `node`, in the raw view; nullptr at the
// end or on failure.
Node Navigate(const Uia& uia, Node node, int direction) {
  Condition every{kConditionTrue};
  CacheRequest request{&every, kTreeScopeElement, nullptr, 0, nullptr, 0, kElementModeFull};
  SAFEARRAY* found = nullptr;
  BSTR structure = nullptr;
  Node next = nullptr;
  if (SUCCEEDED(uia.navigate(node, direction, &every, &request, &found, &structure)) &&
      found != nullptr) {
    // One row, the element itself in the first column.
    LONG at[2] = {0, 0};
    VARIANT element;
    VariantInit(&element);
    if (SUCCEEDED(SafeArrayGetElement(found, at, &element))) {
      if (FAILED(uia.nodeFromVariant(&element, &next))) {
        next = nullptr;
      }
    }
    VariantClear(&element);
  }
  if (found != nullptr) {
    SafeArrayDestroy(found);
  }
  SysFreeString(structure);
  return next;
}

// Prints `node` and everything below it down to depth `deepest`; releases
// `node`.
void Walk(const Uia& uia, Node node, int depth, int deepest, int& printed) {
  Print(Describe(uia, node, depth));
  ++printed;
  Node child = depth < deepest ? Navigate(uia, node, kFirstChild) : nullptr;
  uia.nodeRelease(node);
  while (child != nullptr && printed < kMostElements) {
    Node sibling = Navigate(uia, child, kNextSibling);
    Walk(uia, child, depth + 1, deepest, printed);
    child = sibling;
  }
  if (child != nullptr) {
    uia.nodeRelease(child);
  }
}

struct Search {
  std::wstring titleEnd;
  HWND found = nullptr;
};

BOOL CALLBACK Consider(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  wchar_t title[512] = {};
  const int length = GetWindowTextW(window, title, 512);
  const auto end = search->titleEnd.size();
  if (IsWindowVisible(window) && static_cast<std::size_t>(length) >= end &&
      search->titleEnd.compare(0, end, title + (static_cast<std::size_t>(length) - end)) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

template <class Fn>
bool Find(HMODULE library, const char* name, Fn& function) {
  function = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  if (function == nullptr) {
    std::fprintf(stderr, "uia_tree: uiautomationcore.dll has no %s\n", name);
  }
  return function != nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
  const int deepest = argc == 3 ? std::atoi(argv[2]) : kMostElements;
  if (argc < 2 || argc > 3 || deepest < 0) {
    std::fprintf(stderr, "usage: uia_tree TITLE_END [DEPTH]\n");
    return 2;
  }
  Search search;
  const int size = MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, nullptr, 0);
  search.titleEnd.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
  MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, search.titleEnd.data(), size);
  EnumWindows(Consider, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) {
    std::fprintf(stderr, "uia_tree: no visible window titled ...%s\n", argv[1]);
    return 1;
  }

  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  HMODULE library = LoadLibraryW(L"uiautomationcore.dll");
  Uia uia{};
  if (library == nullptr || !Find(library, "UiaNodeFromHandle", uia.nodeFromHandle) ||
      !Find(library, "UiaNavigate", uia.navigate) ||
      !Find(library, "UiaGetPropertyValue", uia.getPropertyValue) ||
      !Find(library, "UiaHUiaNodeFromVariant", uia.nodeFromVariant) ||
      !Find(library, "UiaNodeRelease", uia.nodeRelease)) {
    std::fprintf(stderr, "uia_tree: no UI Automation client functions\n");
    return 1;
  }
  Node window = nullptr;
  const HRESULT result = uia.nodeFromHandle(search.found, &window);
  if (FAILED(result) || window == nullptr) {
    std::fprintf(stderr, "uia_tree: UiaNodeFromHandle failed (0x%08lx)\n",
                 static_cast<unsigned long>(result));
    return 1;
  }
  int printed = 0;
  Walk(uia, window, 0, deepest, printed);
  CoUninitialize();
  return 0;
}
