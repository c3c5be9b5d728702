-- The dialog library: constants, dialog builders, modal loops and message
-- waiting for the scripts that run in the window script's state.
--
-- Written for the program's Lua: `^` is exclusive or, and the condition of
-- `repeat ... until` does not see the body's locals.

LUA_PATH = "?;../?;../../?"

-- Button kinds
kPush = 0
kToggle = 1
kRadio = 2

-- Alignment bits
kHAlignLeft = 0
kHAlignCenter = 1
kHAlignRight = 2
kVAlignTop = 0
kVAlignCenter = 4
kVAlignBottom = 8
kPushButtonAlignment = 5
kRadioButtonAlignment = 4
kToggleButtonAlignment = 5
kAllLayers = -1

-- Encoded geometry values
kCenter = 80000
kMax = 160000
kDefault = 128

-- Message types
kCloseWindow = 1
kDefaultAction = 2
kButtonPress = 3
kPressAnyKey = 4
kQuitNow = 5
kModalClosed = 6

gReturnValue = nil

-- Settings keys
kGameName = "gamename"
kGameVersion = "version"
kHiscoreLocalOnly = "hiscorelocal"
kHiscoreAnonymous = "hiscoreanon"

idtable = {}
gParent = {}
gCurrentDefaultStyle = {}
gCurID = 100
gBeginGroup = 0
gClosedWindows = {}
gCommandQueue = {}
gMessageQueue = {}
gDialogTable = {}

-- Style chains longer than this are taken as a loop.
local kMaxStyleDepth = 64
local kTimerRange = 4294967296

local function Report(text)
    if type(_ALERT) == "function" then
        _ALERT(text)
    end
end

-- True when `m` is a message of type `kind` (and name `name` when given).
local function IsMessage(m, kind, name)
    local t = type(m)
    if t ~= "userdata" and t ~= "table" then
        return false
    end
    if m.type ~= kind then
        return false
    end
    return name == nil or m.name == name
end

-- Milliseconds since `start`; the timer wraps at 32 bits.
local function Elapsed(start)
    return (GetTimer() - start) % kTimerRange
end

local function Pack(...)
    return {n = select("#", ...), ...}
end

-- Loads and runs an asset script. A file that cannot be loaded, or that
-- fails while it runs, is reported and gives false; the chunk's results
-- follow true. The chunk runs in a coroutine of its own whose waits are
-- passed on to the script's, so a dialog file may wait, and an error in it
-- comes back here (its caller takes its layer down) instead of ending the
-- script.
-- The coroutines RunAssetFile runs files in, while they run.
gPassingCoroutines = setmetatable({}, { __mode = "k" })

local function RunAssetFile(f)
    local chunk, err = loadfile("assets/" .. tostring(f))
    if not chunk then
        Report(err)
        return false
    end
    local co = coroutine.create(chunk)
    -- Its waits pass through to the script's own: HandleGetMessage may
    -- yield from it.
    gPassingCoroutines[co] = true
    local r = Pack(coroutine.resume(co))
    while r[1] and coroutine.status(co) == "suspended" do
        r = Pack(coroutine.resume(co, coroutine.yield(unpack(r, 2, r.n))))
    end
    gPassingCoroutines[co] = nil
    if not r[1] then
        Report(r[2])
        return false
    end
    return true, unpack(r, 2, r.n)
end

function Color(r, g, b, a)
    local alpha = 1
    if a then
        alpha = a / 255
    end
    return {r / 255, g / 255, b / 255, alpha}
end

function FColor(r, g, b, a)
    return {r, g, b, a or 1}
end

function Push(w)
    table.insert(gParent, 1, w)
end

function Pop()
    table.remove(gParent, 1)
end

-- The command a window type's constructor returns.
function DoWindow(t)
    t.beginGroup = gBeginGroup
    gBeginGroup = 0
    GenericCreate(t)
    MakeDialog(t)
    PopWindow()
end

-- Returns nothing: a result would stop table.foreachi.
function DoDialogCommand(i, f)
    if type(f) == "function" then
        f()
    else
        Report("dialog entry " .. tostring(i) .. " is a " .. type(f) .. ", not a command")
    end
end

function MakeDialog(t)
    local saved = gCurrentDefaultStyle
    if t.name and t.name ~= "" then
        SetWindowName(t.name)
    end
    table.foreachi(t, DoDialogCommand)
    typename = t.typename
    SetDefaultStyle(saved)
    if typename then
        PostCreate(t, typename)
    end
end

-- A hook the game may redefine.
function Creating(name, t)
end

function SetBeginGroup()
    gBeginGroup = 1
end

function BeginGroup()
    return function() SetBeginGroup() end
end

-- t[key], else from the default style chain on the outer call, else from
-- t.parent's chain. The third argument marks an inner call (a number there
-- counts the levels, so a style that is its own ancestor ends the search).
function GetTag(t, key, inner)
    local depth = 0
    if type(inner) == "number" then
        depth = inner
    end
    if depth > kMaxStyleDepth then
        Report("style chain too deep looking up " .. tostring(key))
        return nil
    end
    if type(t) ~= "table" then
        t = {}
    end
    local value = t[key]
    if value ~= nil and value ~= false then
        return value
    end
    if not inner then
        return GetTag(gCurrentDefaultStyle, key, 1)
    end
    if t.parent then
        return GetTag(t.parent, key, depth + 1)
    end
    return nil
end

function SetDefaultStyle(s)
    gCurrentDefaultStyle = s
end

function SetStyle(s)
    return function() SetDefaultStyle(s) end
end

function AppendStyle(s)
    return function()
        if s ~= gCurrentDefaultStyle then
            s.parent = gCurrentDefaultStyle
        end
        SetDefaultStyle(s)
    end
end

function SetFocus(name)
    RealSetFocus(name)
end

function SetDefault(x)
    return function() end
end

function DistributeX(n)
    divisor = n + 1
    d = {}
    for i = 1, n do
        d[i] = i / divisor * (gDialogWidth or 0)
    end
    return d
end

function DistributeY(n)
    local result = {}
    for i = 1, n do
        result[i] = i / (n + 1) * (gDialogHeight or 0)
    end
    return result
end

-- Waits until the modal `name` is closed. Closings of other modals seen on
-- the way are remembered for their own waits.
function WaitForCloseMessage(name)
    while not gClosedWindows[name] do
        local m = WaitForMessage()
        if m ~= nil then
            gLastMessage = m
            if IsMessage(m, kModalClosed, name) then
                return
            end
            if IsMessage(m, kModalClosed) then
                gClosedWindows[m.name] = true
            end
        end
    end
    gClosedWindows[name] = nil
end

-- Takes gReturnValue, leaving nil behind.
local function TakeReturnValue()
    local value = gReturnValue
    gReturnValue = nil
    return value
end

function DoModal(file)
    local w = PushModal(file)
    if not RunAssetFile(file) then
        PopModal(w)
        return nil
    end
    DoFitToChildren()
    WaitForCloseMessage(w)
    return TakeReturnValue()
end

function DoMainWindow(file)
    local w = PushModal(file)
    local depth = GetWindowDepth()
    if not RunAssetFile(file) then
        PopModal(w)
        return
    end
    DoFitToChildren()
    repeat
        local m = WaitForMessage()
        if m ~= nil then
            gLastMessage = m
        end
    until GetWindowDepth() < depth
end

function ModalReturn(v)
    gReturnValue = v
end

function DisplaySplash(movie, image, milliseconds)
    local w = PushModal("DisplaySplash")
    local translate = GetTag({}, "translate") or false
    local allowInput = GetTag({}, "allowInput") or false
    local disableAbort = GetTag({}, "disableAbort") or false
    local overlay = GetTag({}, "splashoverlay") or false
    inMovie = StartMovie(movie, translate, allowInput)
    local start = GetTimer()
    local duration = milliseconds or 0
    if not inMovie then
        if not image then
            PopModal(w)
            return
        end
        if not overlay then
            overlay = Group({})
        end
        MakeDialog({Bitmap({name = "splashimage", image = image, overlay})})
        UpdateWindow()
        Pause(50)
        UpdateWindow()
        Pause(50)
        if ImageLoaded("splashimage") ~= true then
            PopModal(w)
            return
        end
    end
    while true do
        local m = WaitForMessage(1)
        if not inMovie and Elapsed(start) >= duration then
            break
        end
        if IsMessage(m, kCloseWindow) or IsMessage(m, kModalClosed, w) then
            break
        end
        if not disableAbort and IsMessage(m, kPressAnyKey) then
            break
        end
        if inMovie and not IsMoviePlaying() then
            break
        end
    end
    if inMovie then
        StopMovie()
    end
    PopModal(w)
end

function FlushMessages()
    local m
    repeat
        m = HandleGetMessage(1)
    until not m
    gCommandQueue = {}
    gMessageQueue = {}
end

-- The newest queued message, else the next one handed to the waiting
-- script. A command handed with it (or else the newest queued command) is
-- called; its result is what the next wait yields.
function WaitForMessage(timeout, skipQueue)
    if not skipQueue and table.getn(gMessageQueue) > 0 then
        return table.remove(gMessageQueue)
    end
    local message, command = HandleGetMessage(timeout)
    if command == nil and table.getn(gCommandQueue) > 0 then
        command = table.remove(gCommandQueue)
    end
    if type(command) == "function" then
        gYieldResult = command()
    end
    return message
end

function Yield(...)
    return coroutine.yield(...)
end

function ReadFile(f)
    return select(2, RunAssetFile(f))
end

function CloseWindow(v)
    PostMessage(CreateCloseMessage())
    if v ~= nil then
        ModalReturn(v)
    end
end

function CustomCreator(t)
end

function GetString(key, a1, a2, a3, a4, a5)
    if a1 == nil then a1 = "" end
    if a2 == nil then a2 = "" end
    if a3 == nil then a3 = "" end
    if a4 == nil then a4 = "" end
    if a5 == nil then a5 = "" end
    return _GetString(key, a1, a2, a3, a4, a5)
end

function SetBitmap(name, image, n)
    if n == nil then
        n = 1
    end
    _SetBitmap(name, image, n)
end

function PopModal(name)
    DoPopModal(name)
end

function SwapToModal(file)
    ClearModalChildren()
    RunAssetFile(file)
    DoFitToChildren()
end

function DisplayDialog(t)
    local file = nil
    if type(t) == "table" then
        file = t[1]
    end
    if not file or file == "" then
        DebugOut("DisplayDialog called with empty script; aborting")
        return nil
    end
    local w = PushModal(file)
    gDialogTable = t
    if not RunAssetFile(file) then
        PopModal(w)
        return nil
    end
    WaitForCloseMessage(w)
    return TakeReturnValue()
end

function SelectLayer(n)
    return function() DoSelectLayer(n) end
end

function Group(t)
    return function() MakeDialog(t) end
end

function FitToChildren()
    return function() DoFitToChildren() end
end

function Pause(milliseconds, anyKeyEnds)
    local start = GetTimer()
    local duration = milliseconds or 0
    while true do
        local remaining = duration - Elapsed(start)
        if remaining <= 0 then
            return
        end
        local m = WaitForMessage(remaining, true)
        if anyKeyEnds and IsMessage(m, kPressAnyKey) then
            return
        end
        if m ~= nil then
            table.insert(gMessageQueue, m)
        end
    end
end
