#include "checker/task/taskdefinition.h"

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <cstdlib>
#include <string>

#include "checker/launchertarget.h"
#include "checker/task/comobjects.h"
#include "helpers/filereading.h"
#include "helpers/text.h"

using Microsoft::WRL::ComPtr;

namespace {

// MinGW's import libraries define none of MSXML's identifiers.
const CLSID kDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
const CLSID kDomDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
const IID kXmlDomDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

const wchar_t kTaskNamespace[] = L"http://schemas.microsoft.com/windows/2004/02/mit/task";

using UniqueSafeArray = UniqueAny<SAFEARRAY*, ::SafeArrayDestroy>;

std::wstring BaseName(IXMLDOMNode* node)
{
    UniqueBstr name;
    node->get_baseName(name.Put());
    return BstrText(name);
}

bool InTaskNamespace(IXMLDOMNode* node)
{
    UniqueBstr uri;
    node->get_namespaceURI(uri.Put());
    const std::wstring text = BstrText(uri);
    return text.empty() || text == kTaskNamespace;
}

// The element children of parent in the task namespace (or in none, as some hand-written
// definitions are), in document order.
std::vector<ComPtr<IXMLDOMNode>> Elements(IXMLDOMNode* parent)
{
    std::vector<ComPtr<IXMLDOMNode>> elements;
    ComPtr<IXMLDOMNode> child;
    if (parent == nullptr || parent->get_firstChild(&child) != S_OK) return elements;
    while (child) {
        DOMNodeType type = NODE_INVALID;
        child->get_nodeType(&type);
        ComPtr<IXMLDOMNode> next;
        child->get_nextSibling(&next);
        if (type == NODE_ELEMENT && InTaskNamespace(child.Get())) elements.push_back(std::move(child));
        child = std::move(next);
    }
    return elements;
}

// The first element child of parent named name, or null.
ComPtr<IXMLDOMNode> Element(IXMLDOMNode* parent, const wchar_t* name)
{
    for (ComPtr<IXMLDOMNode>& element : Elements(parent)) {
        if (BaseName(element.Get()) == name) return std::move(element);
    }
    return nullptr;
}

std::wstring Text(IXMLDOMNode* node)
{
    UniqueBstr text;
    if (node != nullptr) node->get_text(text.Put());
    return Trimmed(BstrText(text));
}

// The attribute's value, "" when absent.
std::wstring Attribute(IXMLDOMNode* node, const wchar_t* name)
{
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    ComPtr<IXMLDOMNode> attribute;
    const UniqueBstr attributeName = BstrOf(name);
    if (node->get_attributes(&attributes) != S_OK || attributes->getNamedItem(attributeName.Get(), &attribute) != S_OK)
        return std::wstring();
    return Text(attribute.Get());
}

// Reads the definition's parts, each element checked against the values its schema type allows.
class DefinitionReader {
public:
    DefinitionReader(TaskDefinition& definition, std::string& why) : definition(definition), why(why) {}

    bool Read(IXMLDOMNode* task)
    {
        ComPtr<IXMLDOMNode> settings = Element(task, L"Settings");
        return ReadSettings(settings.Get()) && ReadTriggers(Element(task, L"Triggers").Get()) && ReadActions(task);
    }

private:
    bool Fail(const std::wstring& what, const std::wstring& value, const char* allowed)
    {
        why = "holds \"" + AnsiForDisplay(value) + "\" in " + AnsiForDisplay(what) + ", which is not " + allowed;
        return false;
    }

    // An xs:boolean child of parent: value stays as it is when the child is absent.
    bool ReadBoolean(IXMLDOMNode* parent, const wchar_t* name, const std::wstring& where, bool& value)
    {
        ComPtr<IXMLDOMNode> element = Element(parent, name);
        if (!element) return true;
        const std::wstring text = Text(element.Get());
        if (text == L"true" || text == L"1")
            value = true;
        else if (text == L"false" || text == L"0")
            value = false;
        else
            return Fail(where + name, text, "a boolean (true or false)");
        return true;
    }

    bool ReadInstances(IXMLDOMNode* settings)
    {
        ComPtr<IXMLDOMNode> element = Element(settings, L"MultipleInstancesPolicy");
        if (!element) return true;
        const std::wstring text = Text(element.Get());
        const struct {
            const wchar_t* name;
            InstancesPolicy policy;
        } kPolicies[] = {{L"IgnoreNew", InstancesPolicy::kIgnoreNew},
                         {L"Queue", InstancesPolicy::kQueue},
                         {L"Parallel", InstancesPolicy::kParallel},
                         {L"StopExisting", InstancesPolicy::kStopExisting}};
        for (const auto& known : kPolicies) {
            if (text == known.name) {
                definition.instances = known.policy;
                return true;
            }
        }
        return Fail(L"Settings/MultipleInstancesPolicy", text, "one of IgnoreNew, Queue, Parallel, StopExisting");
    }

    bool ReadSettings(IXMLDOMNode* settings)
    {
        if (settings == nullptr) return true;
        ComPtr<IXMLDOMNode> limit = Element(settings, L"ExecutionTimeLimit");
        if (limit && !ParseTaskDuration(Text(limit.Get()), definition.timeLimitSeconds))
            return Fail(L"Settings/ExecutionTimeLimit", Text(limit.Get()), "a duration (PT10M, say)");
        return ReadBoolean(settings, L"Enabled", L"Settings/", definition.enabled) &&
               ReadBoolean(settings, L"DisallowStartIfOnBatteries", L"Settings/",
                           definition.disallowStartOnBatteries) &&
               ReadBoolean(settings, L"StopIfGoingOnBatteries", L"Settings/", definition.stopGoingOnBatteries) &&
               ReadInstances(settings);
    }

    bool ReadTriggers(IXMLDOMNode* triggers)
    {
        for (ComPtr<IXMLDOMNode>& trigger : Elements(triggers)) {
            const std::wstring name = BaseName(trigger.Get());
            TaskTrigger read;
            read.element = AnsiForDisplay(name);
            if (name == L"BootTrigger")
                read.kind = TriggerKind::kBoot;
            else if (name == L"LogonTrigger")
                read.kind = TriggerKind::kLogon;
            if (!ReadBoolean(trigger.Get(), L"Enabled", L"Triggers/" + name + L"/", read.enabled)) return false;
            definition.triggers.push_back(read);
        }
        return true;
    }

    bool ReadPrincipal(IXMLDOMNode* principal)
    {
        definition.userId = Text(Element(principal, L"UserId").Get());
        definition.groupId = Text(Element(principal, L"GroupId").Get());
        ComPtr<IXMLDOMNode> runLevel = Element(principal, L"RunLevel");
        if (!runLevel) return true;
        const std::wstring level = Text(runLevel.Get());
        if (level != L"HighestAvailable" && level != L"LeastPrivilege")
            return Fail(L"Principal/RunLevel", level, "HighestAvailable or LeastPrivilege");
        definition.highestAvailable = level == L"HighestAvailable";
        return true;
    }

    // The principal Actions' Context names; without a Context, the first (usually the only) one.
    bool ReadActionsPrincipal(IXMLDOMNode* task, const std::wstring& context)
    {
        std::vector<ComPtr<IXMLDOMNode>> principals = Elements(Element(task, L"Principals").Get());
        for (ComPtr<IXMLDOMNode>& principal : principals) {
            if (BaseName(principal.Get()) != L"Principal") continue;
            if (context.empty() || Attribute(principal.Get(), L"id") == context) return ReadPrincipal(principal.Get());
        }
        if (context.empty()) return true;
        return Fail(L"Actions/Context", context, "the id of a Principal in Principals");
    }

    bool ReadActions(IXMLDOMNode* task)
    {
        ComPtr<IXMLDOMNode> actions = Element(task, L"Actions");
        if (!ReadActionsPrincipal(task, actions ? Attribute(actions.Get(), L"Context") : std::wstring())) return false;
        for (ComPtr<IXMLDOMNode>& action : Elements(actions.Get())) {
            if (BaseName(action.Get()) == L"Exec")
                definition.commands.push_back(Text(Element(action.Get(), L"Command").Get()));
        }
        return true;
    }

    TaskDefinition& definition;
    std::string& why;
};

bool SetProperty(IXMLDOMDocument2* document, const wchar_t* name, VARIANT value)
{
    const UniqueBstr property = BstrOf(name);
    return SUCCEEDED(document->setProperty(property.Get(), value));
}

// A document that parses only what it is given: no DTD, no external entity, no download.
ComPtr<IXMLDOMDocument2> NewDocument(std::string& why)
{
    ComPtr<IXMLDOMDocument2> document;
    if (FAILED(CoCreateInstance(kDomDocument60, NULL, CLSCTX_INPROC_SERVER, kXmlDomDocument2, &document)) &&
        FAILED(CoCreateInstance(kDomDocument30, NULL, CLSCTX_INPROC_SERVER, kXmlDomDocument2, &document))) {
        why = "cannot be read: MSXML (msxml6 or msxml3) cannot be created";
        return document;
    }
    VARIANT yes;
    VariantInit(&yes);
    yes.vt = VT_BOOL;
    yes.boolVal = VARIANT_TRUE;
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    if (!SetProperty(document.Get(), L"ProhibitDTD", yes)) {
        why = "cannot be read safely: this MSXML does not let DTDs be refused";
        return nullptr;
    }
    return document;
}

std::string ParseErrorOf(IXMLDOMDocument2* document)
{
    ComPtr<IXMLDOMParseError> error;
    UniqueBstr reason;
    long line = 0;
    long column = 0;
    if (document->get_parseError(&error) != S_OK) return "is not well-formed XML";
    error->get_reason(reason.Put());
    error->get_line(&line);
    error->get_linepos(&column);
    const std::string at =
        line > 0 ? " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")" : std::string();
    return "is not well-formed XML" + at + ": " + AnsiForDisplay(Trimmed(BstrText(reason)));
}

bool ReadDocument(IXMLDOMDocument2* document, TaskDefinition& definition, std::string& why)
{
    // Wine's MSXML takes ProhibitDTD and parses DTDs anyway.
    ComPtr<IXMLDOMDocumentType> doctype;
    if (document->get_doctype(&doctype) == S_OK && doctype) {
        why = "has a DTD (<!DOCTYPE>), which no task definition has";
        return false;
    }
    ComPtr<IXMLDOMElement> root;
    if (document->get_documentElement(&root) != S_OK || BaseName(root.Get()) != L"Task" ||
        !InTaskNamespace(root.Get())) {
        why = "is not a Task Scheduler definition: it has no <Task> root element in " + AnsiForDisplay(kTaskNamespace);
        return false;
    }
    definition = TaskDefinition();
    return DefinitionReader(definition, why).Read(root.Get());
}

// The file's bytes, at most kMaxTaskFileBytes; false with why set otherwise.
bool ReadFileBytes(const std::wstring& path, std::string& bytes, std::string& why)
{
    DWORD error = 0;
    const UniqueFile file = OpenForReading(path.c_str(), error);
    if (!file) {
        why = "cannot be opened (error " + std::to_string(error) + ")";
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size)) {
        why = "cannot be read (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (size.QuadPart > static_cast<LONGLONG>(kMaxTaskFileBytes)) {
        why = "is larger than " + std::to_string(kMaxTaskFileBytes >> 20) + " MiB: no task definition is";
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    error = bytes.empty() ? 0 : ReadAt(file.Get(), 0, &bytes[0], static_cast<DWORD>(bytes.size()));
    if (error != 0) why = "cannot be read (error " + std::to_string(error) + ")";
    return error == 0;
}

// The bytes as a VARIANT holding a byte array, which MSXML's load decodes as a file: by its
// byte order mark and XML declaration.
bool LoadBytes(IXMLDOMDocument2* document, const std::string& bytes, std::string& why)
{
    const UniqueSafeArray array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
    void* data = nullptr;
    if (!array || FAILED(SafeArrayAccessData(array.Get(), &data))) {
        why = "cannot be held in memory";
        return false;
    }
    CopyMemory(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array.Get());
    // Lent to the variant: its owner destroys it.
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_ARRAY | VT_UI1;
    source.parray = array.Get();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT result = document->load(source, &loaded);
    if (result != S_OK || loaded != VARIANT_TRUE) why = ParseErrorOf(document);
    return result == S_OK && loaded == VARIANT_TRUE;
}

// Digits of a duration part: the number before designator at text[at...], added in seconds.
bool DurationPart(const std::wstring& text, size_t& at, wchar_t designator, double unit, double& seconds)
{
    size_t end = at;
    while (end < text.size() && ((text[end] >= L'0' && text[end] <= L'9') || text[end] == L'.')) ++end;
    if (end == at || end >= text.size() || text[end] != designator) return false;
    const std::wstring number = text.substr(at, end - at);
    if (number.find_first_of(L"0123456789") == std::wstring::npos) return false;
    if (number.find(L'.') != std::wstring::npos && designator != L'S') return false;  // only seconds have fractions
    seconds += _wtof(number.c_str()) * unit;
    at = end + 1;
    return true;
}

}  // namespace

bool ParseTaskDuration(const std::wstring& text, long long& seconds)
{
    if (text.size() < 3 || text[0] != L'P') return false;
    const struct {
        wchar_t designator;
        double unit;
        bool time;
    } kParts[] = {{L'Y', 365 * 86400.0, false}, {L'M', 30 * 86400.0, false}, {L'D', 86400.0, false},
                  {L'H', 3600.0, true},         {L'M', 60.0, true},          {L'S', 1.0, true}};
    double total = 0;
    size_t at = 1;
    bool inTime = false;
    bool any = false;
    for (const auto& part : kParts) {
        if (part.time && !inTime) {
            if (at >= text.size() || text[at] != L'T') break;
            inTime = true;
            if (++at >= text.size()) return false;  // "P1DT" has nothing after its T
        }
        const size_t before = at;
        if (DurationPart(text, at, part.designator, part.unit, total))
            any = true;
        else
            at = before;
    }
    if (!any || at != text.size() || total > 1e15) return false;
    seconds = static_cast<long long>(total);
    return true;
}

bool ParseTaskDefinition(const std::wstring& xml, TaskDefinition& definition, std::string& why)
{
    ComPtr<IXMLDOMDocument2> document = NewDocument(why);
    if (!document) return false;
    const UniqueBstr text = BstrOf(xml.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (document->loadXML(text.Get(), &loaded) != S_OK || loaded != VARIANT_TRUE) {
        why = ParseErrorOf(document.Get());
        return false;
    }
    return ReadDocument(document.Get(), definition, why);
}

bool ReadTaskDefinitionFile(const std::wstring& path, TaskDefinition& definition, std::string& why)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes, why)) return false;
    ComPtr<IXMLDOMDocument2> document = NewDocument(why);
    return document && LoadBytes(document.Get(), bytes, why) && ReadDocument(document.Get(), definition, why);
}
