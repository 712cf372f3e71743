// Corvane's panel page. It speaks only the FSUIPC WebSocket Server's
// commands (offsets.declare, offsets.read, offsets.write), so the same page
// runs against corvane-web or, with ?server=ws://HOST:2048/fsuipc/, against
// the FSUIPC WebSocket Server itself. MAP, the block's description, is
// built in by corvane-web.
"use strict";

const DECLARATION = "corvane";
const READ_INTERVAL_MS = 50;
const BACKOFF_MS = [500, 1000, 2000, 4000, 8000, 15000];
const HOLD_DELAY_MS = 400;
const HOLD_STEPS = [[0, 150], [1500, 80], [3000, 40]];  // [held for ms, one detent every ms]
const COUNTER_SETTLE_MS = 400;  // a counter read back this soon after a write may predate it
const STATE_TEXT = { 0: "ended", 1: "bridging", 2: "stopped" };

const params = new URLSearchParams(location.search);
const serverUrl = params.get("server") ||
  (location.protocol === "http:" || location.protocol === "https:"
    ? (location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/fsuipc/" : "");

const byOffset = new Map();
for (const o of MAP.offsets) byOffset.set(o.offset, o);
const nameOf = (offset) => (byOffset.get(offset) || { name: "0x" + offset.toString(16) }).name;
const key = (offset) => "o" + offset.toString(16);

const values = new Map();  // offset -> number
const heartbeat = { value: null, changedAt: 0, seen: false };
let socket = null;
let attempt = 0;
let stateEverSet = false;

// ---- building the page --------------------------------------------------------

const el = (tag, cls, text) => {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined) e.textContent = text;
  return e;
};

const knobWindows = new Map();  // display offset -> element
const knobs = MAP.knobs.map((k, index) => {
  const box = el("div", "knob");
  box.id = "knob-" + k.name;
  const label = el("label", "", nameOf(k.display));
  label.title = (byOffset.get(k.display) || {}).title || "";
  const win = el("div", "window");
  win.id = "window-" + k.name;
  const turn = el("div", "turn");
  const down = el("button", "", "\u2212");
  const up = el("button", "", "+");
  down.id = "knob-" + k.name + "-down";
  up.id = "knob-" + k.name + "-up";
  down.setAttribute("aria-label", k.name + " down");
  up.setAttribute("aria-label", k.name + " up");
  turn.append(down, up);
  box.append(label, win, turn);
  document.getElementById("mcp").append(box);
  knobWindows.set(k.display, win);
  const knob = { row: k, index, counter: null, writtenAt: 0 };
  holdToTurn(down, knob, -1);
  holdToTurn(up, knob, +1);
  return knob;
});

const lampElements = MAP.fields.map((f) => {
  const lamp = el("div", f.states > 2 ? "lamp state" : "lamp", f.name);
  lamp.title = f.title + " (0x" + f.offset.toString(16).toUpperCase() + ")";
  lamp.dataset.field = f.offset.toString(16) + "&" + f.mask.toString(16).padStart(2, "0");
  document.getElementById("lamps").append(lamp);
  return { field: f, element: lamp };
});

const panelElements = MAP.offsets.filter((o) => o.kind === "panel").map((o) => {
  const row = el("div", "value");
  const name = el("span", "", o.name);
  name.title = o.title + " (0x" + o.offset.toString(16).toUpperCase() + ")";
  const value = el("b", "", "-");
  row.append(name, value);
  document.getElementById("panel").append(row);
  return { offset: o.offset, element: value };
});

const commandList = document.getElementById("command-list");
for (const c of MAP.commands) {
  const option = el("option");
  option.value = c.name;
  option.label = String(c.code);
  commandList.append(option);
}

// ---- showing what was read ------------------------------------------------------

function windowText(offset, v) {
  if (v === MAP.blank) return "";
  if (offset === MAP.speedDisplay && v < 100) return "." + String(v).padStart(2, "0");
  if (offset === MAP.vsDisplay && values.get(MAP.vsSign) === MAP.negativeSign) return "-" + v;
  return String(v);
}

function show() {
  for (const [offset, win] of knobWindows) {
    if (values.has(offset)) win.textContent = windowText(offset, values.get(offset));
  }
  for (const { field, element } of lampElements) {
    const state = ((values.get(field.offset) || 0) & field.mask) >>> field.shift;
    element.classList.toggle("lit", state !== 0);
    if (field.states > 2) {
      element.textContent = field.name;
      element.append(el("b", "", String(state)));
    }
  }
  for (const { offset, element } of panelElements) {
    if (values.has(offset)) element.textContent = String(values.get(offset));
  }
  const word = values.get(MAP.commandWord);
  document.getElementById("command-word").textContent =
    word === undefined ? "-" : word === -1 ? "none" : commandName(word);
  const value = values.get(MAP.valueByte);
  document.getElementById("value-byte").textContent = value === undefined ? "-" : String(value);
  showCorvane();
}

function commandName(code) {
  const named = MAP.commands.find((c) => c.code === code);
  return named ? code + " " + named.name : String(code);
}

function pill(id, text, tone) {
  const p = document.getElementById(id);
  p.textContent = text;
  p.className = "pill " + tone;
}

function showCorvane() {
  if (!values.has(MAP.stateOffset)) return;
  const state = values.get(MAP.stateOffset);
  if (state !== 0 || heartbeat.seen) stateEverSet = true;
  if (!stateEverSet) {
    pill("corvane", "not publishing its state", "warn");
    return;
  }
  const text = STATE_TEXT[state] || "state " + state;
  const age = heartbeat.changedAt ? Math.round((Date.now() - heartbeat.changedAt) / 1000) : null;
  const beat = state === 1 && age !== null ? ", heartbeat " + age + " s ago" : "";
  pill("corvane", "Corvane " + text + beat, state === 1 && (age === null || age < 3) ? "good" : state === 1 ? "warn" : "bad");
}
setInterval(showCorvane, 1000);

function take(data) {
  for (const [name, v] of Object.entries(data)) {
    const offset = parseInt(name.slice(1), 16);
    if (!Number.isFinite(offset) || typeof v !== "number") continue;
    values.set(offset, v);
    if (offset === MAP.heartbeatOffset) {
      if (heartbeat.value !== null && heartbeat.value !== v) heartbeat.seen = true;
      heartbeat.value = v;
      heartbeat.changedAt = Date.now();
    }
    const knob = knobs.find((k) => k.row.counter === offset);
    if (knob && (knob.counter === null || Date.now() - knob.writtenAt > COUNTER_SETTLE_MS)) {
      knob.counter = v;  // another panel may turn it too
    }
  }
  show();
}

// ---- turning the knobs ------------------------------------------------------------

function turn(knob, detents) {
  if (knob.counter === null || !socket || socket.readyState !== WebSocket.OPEN) return;
  knob.counter = (knob.counter + detents + 256) & 0xff;
  knob.writtenAt = Date.now();
  write([{ name: key(knob.row.counter), value: knob.counter }]);
}

// One detent a tap; held, detents come faster the longer it is held.
function holdToTurn(button, knob, direction) {
  let timer = null;
  let started = 0;
  const repeat = () => {
    const held = Date.now() - started;
    let every = HOLD_STEPS[0][1];
    for (const [after, ms] of HOLD_STEPS) if (held >= after) every = ms;
    turn(knob, direction);
    timer = setTimeout(repeat, every);
  };
  const release = () => {
    clearTimeout(timer);
    timer = null;
    button.classList.remove("held");
  };
  button.addEventListener("pointerdown", (event) => {
    event.preventDefault();
    button.setPointerCapture && button.setPointerCapture(event.pointerId);
    started = Date.now();
    button.classList.add("held");
    turn(knob, direction);
    timer = setTimeout(repeat, HOLD_DELAY_MS);
  });
  for (const type of ["pointerup", "pointercancel", "lostpointercapture", "pointerleave"]) {
    button.addEventListener(type, release);
  }
  button.addEventListener("contextmenu", (event) => event.preventDefault());
}

// ---- the command word and the value byte ---------------------------------------------

const answer = document.getElementById("input-answer");
function say(text, bad) {
  answer.textContent = text;
  answer.className = bad ? "answer bad" : "answer";
}

document.getElementById("command-form").addEventListener("submit", (event) => {
  event.preventDefault();
  const text = document.getElementById("command-code").value.trim();
  const named = MAP.commands.find((c) => c.name === text);
  const code = named ? named.code : Number(text);
  if (!Number.isInteger(code) || code < 0 || code > 32767) {
    say("a command is a code from 0 to 32767 or a name from the list", true);
    return;
  }
  write([{ name: key(MAP.commandWord), value: code }]);
  say("command " + code + " sent");
});

document.getElementById("value-form").addEventListener("submit", (event) => {
  event.preventDefault();
  const v = Number(document.getElementById("value-input").value);
  if (!Number.isInteger(v) || v < 0 || v > 255) {
    say("the value byte takes 0 to 255", true);
    return;
  }
  write([{ name: key(MAP.valueByte), value: v }]);
  say("value " + v + " set");
});

// ---- the link -------------------------------------------------------------------------

function send(message) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}

function write(offsets) {
  send({ command: "offsets.write", name: DECLARATION, offsets });
}

function declaration() {
  return MAP.offsets.map((o) => ({ name: key(o.offset), address: o.offset, type: o.type, size: o.size }));
}

function connect() {
  if (!serverUrl) {
    pill("link", "open this page from corvane-web, or add ?server=ws://HOST:2048/fsuipc/", "bad");
    return;
  }
  pill("link", attempt ? "reconnecting" : "connecting", "warn");
  let ws;
  try {
    ws = new WebSocket(serverUrl, "fsuipc");
  } catch (e) {
    pill("link", "bad server address " + serverUrl, "bad");
    return;
  }
  socket = ws;
  ws.onopen = () => {
    attempt = 0;
    pill("link", "connected", "good");
    send({ command: "offsets.declare", name: DECLARATION, offsets: declaration() });
    send({ command: "offsets.read", name: DECLARATION, interval: READ_INTERVAL_MS, changesOnly: true });
  };
  ws.onmessage = (event) => {
    let m;
    try { m = JSON.parse(event.data); } catch (e) { return; }
    if (!m || m.name !== DECLARATION) return;
    if (m.success === false) {
      if (m.command === "offsets.write") say(m.errorMessage || "the write was refused", true);
      else pill("link", (m.errorMessage || "refused") + "", "bad");
      return;
    }
    if (m.command === "offsets.read" && m.data) take(m.data);
  };
  ws.onclose = () => {
    if (socket !== ws) return;
    socket = null;
    const wait = BACKOFF_MS[Math.min(attempt, BACKOFF_MS.length - 1)];
    attempt += 1;
    pill("link", "link lost; reconnecting in " + Math.ceil(wait / 1000) + " s", "bad");
    setTimeout(connect, wait);
  };
}

connect();
