#include "checker/task/taskdefinition.h"

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

#include <cmath>
#include <cstdlib>
#include <string>

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

std::wstring NamespaceOf(IXMLDOMNode* node)
{
    UniqueBstr uri;
    node->get_namespaceURI(uri.Put());
    return BstrText(uri);
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

using Nodes = std::vector<ComPtr<IXMLDOMNode>>;

// The first of nodes named name, or null.
IXMLDOMNode* Find(const Nodes& nodes, const wchar_t* name)
{
    for (const ComPtr<IXMLDOMNode>& node : nodes) {
        if (BaseName(node.Get()) == name) return node.Get();
    }
    return nullptr;
}

// Whether a parent's element children may repeat (Triggers, Actions), or each may occur once,
// as in every other element of the schema read here.
enum class Count { kEachOnce, kRepeatable };

// Reads the definition's parts, each element checked against the values its schema type allows.
class DefinitionReader {
public:
    // taskNamespace: the root's, which every element read must share.
    DefinitionReader(TaskDefinition& definition, std::string& why, const std::wstring& taskNamespace)
        : definition(definition), why(why), taskNamespace(taskNamespace)
    {
    }

    bool Read(IXMLDOMNode* task)
    {
        Nodes parts;
        return ChildrenOf(task, L"Task", Count::kEachOnce, parts) && ReadSettings(Find(parts, L"Settings")) &&
               ReadTriggers(Find(parts, L"Triggers")) &&
               ReadActions(Find(parts, L"Principals"), Find(parts, L"Actions"));
    }

private:
    bool Fail(const std::wstring& what, const std::wstring& value, const char* allowed)
    {
        why = "holds \"" + Utf8Of(value) + "\" in " + Utf8Of(what) + ", which is not " + allowed;
        return false;
    }

    // The element children of parent (named where in messages), in document order. False, with
    // why set, when one is in another namespace than the root's: a reader that skipped it would
    // judge the schema's defaults instead of what the author meant; or, for Count::kEachOnce, when
    // a name occurs twice, where the Task Scheduler refuses the definition.
    bool ChildrenOf(IXMLDOMNode* parent, const std::wstring& where, Count count, Nodes& children)
    {
        ComPtr<IXMLDOMNode> child;
        if (parent == nullptr || parent->get_firstChild(&child) != S_OK) return true;
        while (child) {
            DOMNodeType type = NODE_INVALID;
            child->get_nodeType(&type);
            ComPtr<IXMLDOMNode> next;
            child->get_nextSibling(&next);
            if (type == NODE_ELEMENT && !Accept(child.Get(), where, count, children)) return false;
            child = std::move(next);
        }
        return true;
    }

    bool Accept(ComPtr<IXMLDOMNode> element, const std::wstring& where, Count count, Nodes& children)
    {
        const std::wstring name = BaseName(element.Get());
        const std::wstring uri = NamespaceOf(element.Get());
        if (uri != taskNamespace) {
            why = "has <" + Utf8Of(name) + "> in " + Utf8Of(where) + " in the namespace \"" + Utf8Of(uri) +
                  "\", where the schema's elements are expected in \"" + Utf8Of(taskNamespace) + "\"";
            return false;
        }
        if (count == Count::kEachOnce && Find(children, name.c_str()) != nullptr) {
            why = "has <" + Utf8Of(name) + "> twice in " + Utf8Of(where) + ", which the schema allows once";
            return false;
        }
        children.push_back(std::move(element));
        return true;
    }

    // An xs:boolean among nodes: value stays as it is when the element is absent.
    bool ReadBoolean(const Nodes& nodes, const wchar_t* name, const std::wstring& where, bool& value)
    {
        IXMLDOMNode* element = Find(nodes, name);
        if (element == nullptr) return true;
        const std::wstring text = Text(element);
        if (text == L"true" || text == L"1")
            value = true;
        else if (text == L"false" || text == L"0")
            value = false;
        else
            return Fail(where + name, text, "a boolean (true or false)");
        return true;
    }

    // An xs:duration among nodes: seconds stays as it is when the element is absent.
    bool ReadDuration(const Nodes& nodes, const wchar_t* name, const std::wstring& where, long long& seconds)
    {
        IXMLDOMNode* element = Find(nodes, name);
        if (element == nullptr || ParseTaskDuration(Text(element), seconds)) return true;
        return Fail(where + name, Text(element), "a duration (PT10M, say)");
    }

    // An xs:dateTime among nodes: present stays false when the element is absent.
    bool ReadTime(const Nodes& nodes, const wchar_t* name, const std::wstring& where, bool& present, TaskTime& time)
    {
        IXMLDOMNode* element = Find(nodes, name);
        if (element == nullptr) return true;
        present = true;
        if (ParseTaskTime(Text(element), time)) return true;
        return Fail(where + name, Text(element), "a date and time (2026-03-09T08:00:00, say)");
    }

    bool ReadInstances(IXMLDOMNode* element)
    {
        if (element == nullptr) return true;
        const std::wstring text = Text(element);
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
        const std::wstring where = L"Settings/";
        Nodes nodes;
        return ChildrenOf(settings, L"Settings", Count::kEachOnce, nodes) &&
               ReadDuration(nodes, L"ExecutionTimeLimit", where, definition.timeLimitSeconds) &&
               ReadBoolean(nodes, L"Enabled", where, definition.enabled) &&
               ReadBoolean(nodes, L"DisallowStartIfOnBatteries", where, definition.disallowStartOnBatteries) &&
               ReadBoolean(nodes, L"StopIfGoingOnBatteries", where, definition.stopGoingOnBatteries) &&
               ReadBoolean(nodes, L"RunOnlyIfNetworkAvailable", where, definition.runOnlyIfNetwork) &&
               ReadBoolean(nodes, L"RunOnlyIfIdle", where, definition.runOnlyIfIdle) &&
               ReadInstances(Find(nodes, L"MultipleInstancesPolicy"));
    }

    // A Repetition: its Interval, which the schema requires, must be a duration.
    bool ReadRepetition(IXMLDOMNode* repetition, const std::wstring& where, bool& repeats)
    {
        if (repetition == nullptr) return true;
        Nodes nodes;
        long long interval = -1;
        if (!ChildrenOf(repetition, where + L"Repetition", Count::kEachOnce, nodes) ||
            !ReadDuration(nodes, L"Interval", where + L"Repetition/", interval))
            return false;
        if (interval < 0) return Fail(where + L"Repetition", Text(repetition), "a repetition with an Interval");
        repeats = true;
        return true;
    }

    static TriggerKind KindOf(const std::wstring& element)
    {
        if (element == L"BootTrigger") return TriggerKind::kBoot;
        if (element == L"LogonTrigger") return TriggerKind::kLogon;
        if (element == L"RegistrationTrigger") return TriggerKind::kRegistration;
        return TriggerKind::kRepeating;
    }

    bool ReadTrigger(IXMLDOMNode* trigger)
    {
        const std::wstring name = BaseName(trigger);
        const std::wstring where = L"Triggers/" + name + L"/";
        TaskTrigger read;
        read.kind = KindOf(name);
        read.element = Utf8Of(name);
        Nodes nodes;
        if (!ChildrenOf(trigger, L"Triggers/" + name, Count::kEachOnce, nodes) ||
            !ReadBoolean(nodes, L"Enabled", where, read.enabled) ||
            !ReadTime(nodes, L"StartBoundary", where, read.hasStart, read.start) ||
            !ReadTime(nodes, L"EndBoundary", where, read.hasEnd, read.end) ||
            !ReadRepetition(Find(nodes, L"Repetition"), where, read.repeats) ||
            !ReadDuration(nodes, L"ExecutionTimeLimit", where, read.timeLimitSeconds))
            return false;
        definition.triggers.push_back(read);
        return true;
    }

    bool ReadTriggers(IXMLDOMNode* triggers)
    {
        Nodes nodes;
        if (!ChildrenOf(triggers, L"Triggers", Count::kRepeatable, nodes)) return false;
        for (const ComPtr<IXMLDOMNode>& trigger : nodes) {
            if (!ReadTrigger(trigger.Get())) return false;
        }
        return true;
    }

    bool ReadPrincipal(IXMLDOMNode* principal)
    {
        Nodes nodes;
        if (!ChildrenOf(principal, L"Principals/Principal", Count::kEachOnce, nodes)) return false;
        definition.userId = Text(Find(nodes, L"UserId"));
        definition.groupId = Text(Find(nodes, L"GroupId"));
        IXMLDOMNode* runLevel = Find(nodes, L"RunLevel");
        if (runLevel == nullptr) return true;
        const std::wstring level = Text(runLevel);
        if (level != L"HighestAvailable" && level != L"LeastPrivilege")
            return Fail(L"Principal/RunLevel", level, "HighestAvailable or LeastPrivilege");
        definition.highestAvailable = level == L"HighestAvailable";
        return true;
    }

    // The principal the actions run as: the schema allows one, which a Context must name.
    bool ReadActionsPrincipal(IXMLDOMNode* principals, const std::wstring& context)
    {
        Nodes nodes;
        if (!ChildrenOf(principals, L"Principals", Count::kEachOnce, nodes)) return false;
        IXMLDOMNode* principal = Find(nodes, L"Principal");
        if (principal != nullptr && (context.empty() || Attribute(principal, L"id") == context))
            return ReadPrincipal(principal);
        if (context.empty()) return true;
        return Fail(L"Actions/Context", context, "the id of the Principal in Principals");
    }

    bool ReadAction(IXMLDOMNode* action)
    {
        TaskAction read;
        read.element = BaseName(action);
        read.kind = read.element == L"Exec" ? ActionKind::kExec : ActionKind::kOther;
        if (read.element == L"Exec" || read.element == L"ComHandler") {
            Nodes nodes;
            if (!ChildrenOf(action, L"Actions/" + read.element, Count::kEachOnce, nodes)) return false;
            read.text = Text(Find(nodes, read.kind == ActionKind::kExec ? L"Command" : L"ClassId"));
        }
        definition.actions.push_back(read);
        return true;
    }

    bool ReadActions(IXMLDOMNode* principals, IXMLDOMNode* actions)
    {
        Nodes nodes;
        if (!ReadActionsPrincipal(principals, actions ? Attribute(actions, L"Context") : std::wstring()) ||
            !ChildrenOf(actions, L"Actions", Count::kRepeatable, nodes))
            return false;
        for (const ComPtr<IXMLDOMNode>& action : nodes) {
            if (!ReadAction(action.Get())) return false;
        }
        return true;
    }

    TaskDefinition& definition;
    std::string& why;
    const std::wstring taskNamespace;
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
    return "is not well-formed XML" + at + ": " + Utf8Of(Trimmed(BstrText(reason)));
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
        (NamespaceOf(root.Get()) != kTaskNamespace && !NamespaceOf(root.Get()).empty())) {
        why = "is not a Task Scheduler definition: it has no <Task> root element in " + Utf8Of(kTaskNamespace);
        return false;
    }
    definition = TaskDefinition();
    return DefinitionReader(definition, why, NamespaceOf(root.Get())).Read(root.Get());
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

// Digits at text[at...at+count), as a number no greater than most; false otherwise.
bool Digits(const std::wstring& text, size_t at, size_t count, int most, WORD& value)
{
    if (at + count > text.size()) return false;
    int number = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        number = number * 10 + (text[i] - L'0');
    }
    value = static_cast<WORD>(number);
    return number <= most;
}

// What follows the seconds: fractions, then Z, an offset, or nothing.
bool ReadZone(const std::wstring& text, size_t at, TaskTime& time)
{
    if (at < text.size() && text[at] == L'.') {
        const size_t digits = text.find_first_not_of(L"0123456789", at + 1);
        if (digits == at + 1) return false;
        at = digits == std::wstring::npos ? text.size() : digits;
    }
    if (at == text.size()) return true;
    time.local = false;
    if (text[at] == L'Z') return at + 1 == text.size();
    WORD hours = 0;
    WORD minutes = 0;
    if ((text[at] != L'+' && text[at] != L'-') || text.size() != at + 6 || text[at + 3] != L':' ||
        !Digits(text, at + 1, 2, 14, hours) || !Digits(text, at + 4, 2, 59, minutes))
        return false;
    time.offsetMinutes = (text[at] == L'-' ? -1 : 1) * (hours * 60 + minutes);
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
    // A fraction of a second still limits the run: rounded down, PT0.1S would read as PT0S, no limit.
    seconds = static_cast<long long>(std::ceil(total));
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

bool ParseTaskTime(const std::wstring& text, TaskTime& time)
{
    TaskTime read;
    SYSTEMTIME& wall = read.wall;
    FILETIME check;
    if (text.size() < 19 || text[4] != L'-' || text[7] != L'-' || text[10] != L'T' || text[13] != L':' ||
        text[16] != L':' || !Digits(text, 0, 4, 9999, wall.wYear) || !Digits(text, 5, 2, 12, wall.wMonth) ||
        !Digits(text, 8, 2, 31, wall.wDay) || !Digits(text, 11, 2, 23, wall.wHour) ||
        !Digits(text, 14, 2, 59, wall.wMinute) || !Digits(text, 17, 2, 59, wall.wSecond) || !ReadZone(text, 19, read))
        return false;
    // Rejects days a month does not have, and years before 1601.
    if (!SystemTimeToFileTime(&wall, &check)) return false;
    time = read;
    return true;
}

std::vector<std::wstring> ExecCommands(const TaskDefinition& definition)
{
    std::vector<std::wstring> commands;
    for (const TaskAction& action : definition.actions) {
        if (action.kind == ActionKind::kExec) commands.push_back(action.text);
    }
    return commands;
}
