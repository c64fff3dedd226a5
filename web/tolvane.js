// What the page's window does: its two buttons run Create Code and Clear
// Fields in tolvane.wasm, which reads the check boxes and writes the table
// boxes through the calls below; its menu bar works as a desktop's does,
// by mouse, arrows and access keys; About, Help and a command's run-time
// error are modal dialogs. Once the program is loaded the page asks the
// browser to keep an offline copy (service-worker.js).
"use strict";

const PROGRAM = "tolvane.wasm";
// The digest of the program this page was built with: another version's
// program, left on a server or a cache beside this page, is refused.
const PROGRAM_INTEGRITY = document.currentScript.dataset.programIntegrity;
const TABLE_BOXES = ["text3", "play1", "play2"];

const windowElement = document.getElementById("frmtolvane");
// The page's words, kept with the window's other texts.
const texts = JSON.parse(document.getElementById("page-texts").textContent);
const fill = (text, ...args) => text.replace(/%(\d)/g, (mark, number) => args[number - 1] ?? mark);
const note = document.getElementById("note");
const menubar = document.getElementById("menubar");
const menuTitles = [...menubar.querySelectorAll(".menu > [role=menuitem]")];
const errorPrompt = document.getElementById("errorbox").content.querySelector(".prompt").textContent;

class LoadError extends Error {}

// Words in place of the window, when it cannot run or has ended.
function say(text) {
  windowElement.hidden = true;
  note.textContent = text;
  note.hidden = false;
}

// The controls the program reads and writes, found when it asks for them,
// as the desktop window's are: one that is gone fails the command there.
function control(id) {
  const element = document.getElementById(id);
  if (!element) throw new Error(`${id} is gone`);
  return element;
}

// A check box's value as the desktop's: 0 clear, 1 ticked, 2 dimmed.
const CLEAR = 0, TICKED = 1, DIMMED = 2;

let module = null;
let instance = null;

const decoder = new TextDecoder();

function text(pointer, size) {
  return decoder.decode(new Uint8Array(instance.exports.memory.buffer, pointer, size));
}

const pageCalls = {
  cellValue(cell) {
    const box = control("Check" + cell);
    return box.indeterminate ? DIMMED : box.checked ? TICKED : CLEAR;
  },
  setCellValue(cell, value) {
    const box = control("Check" + cell);
    box.indeterminate = value === DIMMED;
    box.checked = value === TICKED;
  },
  setText(box, pointer, size) {
    control(TABLE_BOXES[box]).value = text(pointer, size);
  },
  append(box, pointer, size) {
    const element = control(TABLE_BOXES[box]);
    element.value += text(pointer, size);
  },
};

const systemCalls = {
  proc_exit(code) {
    throw new Error(`the program stopped with code ${code}`);
  },
};

// Why the program could not be had: gone from the server, another
// version's, or no network at all.
async function whyNot(file) {
  try {
    const response = await fetch(file, { method: "HEAD", cache: "no-store" });
    return response.ok ? fill(texts.notBuiltWith, file) : fill(texts.missing, file, response.status);
  } catch {
    return texts.offline;
  }
}

async function loadProgram() {
  if (typeof WebAssembly !== "object") throw new Error("no WebAssembly");
  let response;
  try {
    response = await fetch(PROGRAM, { integrity: PROGRAM_INTEGRITY });
  } catch {
    throw new LoadError(await whyNot(PROGRAM));
  }
  if (!response.ok) throw new LoadError(await whyNot(PROGRAM));
  // A fetch with a digest has the whole body, checked, once it answers.
  module = await WebAssembly.compile(await response.arrayBuffer());
}

// A fresh instance for each run after a failure: a command that stopped
// part-way leaves nothing behind in the next.
function program() {
  if (!instance) {
    instance = new WebAssembly.Instance(module, {
      page: pageCalls, wasi_snapshot_preview1: systemCalls });
    instance.exports._initialize?.();
  }
  return instance.exports;
}

const loaded = loadProgram();

const boxes = new Map();

// A box from its template, made when first shown. A click beside its
// text (on the box or the window behind it) leaves the keys with OK, so
// that Enter still closes it.
function boxFor(id) {
  if (!boxes.has(id)) {
    const box = document.getElementById(id).content.firstElementChild.cloneNode(true);
    box.addEventListener("mousedown", (event) => {
      if (event.target === box) event.preventDefault();
    });
    document.body.append(box);
    boxes.set(id, box);
  }
  return boxes.get(id);
}

function showBox(id, prompt) {
  const box = boxFor(id);
  if (prompt !== undefined) box.querySelector(".prompt").textContent = prompt;
  box.showModal();
}

// A command runs from start to end before any other event is taken. What
// it wrote before a failure stays; the user is told, and the page goes on.
async function run(command) {
  if (!module) {
    try {
      await loaded;
    } catch {
      return;  // the page already says why
    }
  }
  try {
    program()[command]();
  } catch (error) {
    instance = null;
    showBox("errorbox", errorPrompt.replace("%1", error.message));
  }
}

function exit() {
  closeMenus();
  say(texts.ended);
  // An installed app's own window closes, as the desktop program's does.
  if (matchMedia("(display-mode: standalone)").matches) window.close();
}

const handlers = {
  cmdcode: () => run("cmdcode_Click"),
  clrfield: () => run("clrfield_Click"),
  mnuabout: () => showBox("aboutbox"),
  mnuhelp: () => showBox("helpbox"),
  mnuexit: exit,
};

// The menu bar, as the WAI-ARIA menubar pattern has it. When a menu
// closes, the keys go back to the window's control that had them before
// the menu bar took them, however it took them: a click may or may not
// focus a title, a tap never does, Escape leaves them on a title.
let keysBefore = null;

function rememberKeys() {
  const current = document.activeElement;
  if (windowElement.contains(current) && !menubar.contains(current)) keysBefore = current;
}

menubar.addEventListener("pointerdown", rememberKeys, true);

const itemsOf = (title) => [...document.getElementById(title.getAttribute("aria-controls")).children];
const openTitle = () => menuTitles.find((title) => title.getAttribute("aria-expanded") === "true");

function openMenu(title, focus = "first") {
  rememberKeys();
  for (const other of menuTitles) {
    const open = other === title;
    other.setAttribute("aria-expanded", String(open));
    document.getElementById(other.getAttribute("aria-controls")).hidden = !open;
  }
  const items = itemsOf(title);
  (focus === "last" ? items[items.length - 1] : focus === "title" ? title : items[0]).focus();
}

// Closes the open menu; the keys go back to where they were in the window.
function closeMenus(restoreFocus = true) {
  for (const title of menuTitles) {
    title.setAttribute("aria-expanded", "false");
    document.getElementById(title.getAttribute("aria-controls")).hidden = true;
  }
  if (restoreFocus && menubar.contains(document.activeElement)) {
    (keysBefore?.isConnected ? keysBefore : document.getElementById("Check1")).focus();
  }
}

function activate(item) {
  closeMenus();
  handlers[item.id]();
}

const step = (list, from, by) => list[(list.indexOf(from) + by + list.length) % list.length];

// The letter of a key: what it types where that is a letter, else the
// letter of its place on the keyboard (a Mac's Option+S types "ß").
function letterOf(event) {
  if (/^[a-z]$/i.test(event.key)) return event.key.toLowerCase();
  return /^Key[A-Z]$/.test(event.code) ? event.code.slice(3).toLowerCase() : "";
}

function menuKey(event) {
  const title = openTitle();
  const items = title ? itemsOf(title) : [];
  const current = document.activeElement;
  const onTitle = menuTitles.includes(current);
  switch (event.key) {
    case "ArrowRight":
    case "ArrowLeft": {
      const next = step(menuTitles, title ?? current, event.key === "ArrowRight" ? 1 : -1);
      if (title) openMenu(next);
      else next.focus();
      return true;
    }
    case "ArrowDown":
    case "ArrowUp":
      if (!title) openMenu(current, event.key === "ArrowDown" ? "first" : "last");
      else if (!items.includes(current)) items.at(event.key === "ArrowDown" ? 0 : -1).focus();
      else step(items, current, event.key === "ArrowDown" ? 1 : -1).focus();
      return true;
    case "Home":
    case "End":
      (title ? items : menuTitles).at(event.key === "Home" ? 0 : -1).focus();
      return true;
    case "Enter":
    case " ":
      if (onTitle) openMenu(current);
      else activate(current);
      return true;
    case "Escape":
      if (title) {
        closeMenus(false);
        title.focus();
      } else {
        closeMenus();
      }
      return true;
    case "Tab":
      closeMenus();  // the Tab itself goes on from the control that has the keys again
      return false;
  }
  if (event.metaKey || (event.ctrlKey && !event.altKey)) return false;
  // A letter picks an item of the open menu, else another menu.
  const letter = letterOf(event);
  const item = items.find((element) => element.dataset.key === letter);
  const other = menuTitles.find((element) => element.dataset.key === letter);
  if (item) activate(item);
  else if (other) openMenu(other);
  return Boolean(item || other);
}

const MAC = /mac|iphone|ipad/i.test(navigator.userAgentData?.platform ?? navigator.platform);
const typesText = (element) => element instanceof HTMLInputElement && element.type !== "checkbox";

// The chord that opens a menu by its access key. On a Mac, Control+Option
// (a page's access keys there), and Option alone outside a text box, where
// Option types the layout's characters ("@" on a German Mac); a Mac has no
// AltGr, though Firefox there reports one whenever Option is held.
// Elsewhere Alt; Ctrl+Alt is AltGr, which types characters too ("ś" on a
// Polish PC).
function isAccessChord(event) {
  if (!event.altKey || event.metaKey) return false;
  if (MAC) return event.ctrlKey || !typesText(event.target);
  return !event.ctrlKey && !event.getModifierState("AltGraph");
}

document.addEventListener("keydown", (event) => {
  if (windowElement.hidden || document.querySelector("dialog[open]")) return;
  let handled;
  if (menubar.contains(document.activeElement)) {
    handled = menuKey(event);
  } else if (isAccessChord(event)) {
    const title = menuTitles.find((element) => element.dataset.key === letterOf(event));
    if (title) openMenu(title);
    handled = Boolean(title);
  }
  if (handled) event.preventDefault();
}, true);

menubar.addEventListener("click", (event) => {
  const element = event.target.closest("[role=menuitem]");
  if (!element) return;
  if (!menuTitles.includes(element)) activate(element);
  else if (element.getAttribute("aria-expanded") === "true") closeMenus();
  else openMenu(element, "title");
});

// With a menu open, the mouse moving to another title opens that one; a
// tap of a finger or a pen there opens it by its click alone.
menubar.addEventListener("pointerover", (event) => {
  if (event.pointerType !== "mouse") return;
  const title = event.target.closest(".menu > [role=menuitem]");
  if (title && openTitle() && openTitle() !== title) openMenu(title, "title");
});

// A press outside closes the open menu. One on a control gives it the
// keys; one on anything else gives them back where they were.
document.addEventListener("mousedown", (event) => {
  if (!openTitle() || menubar.contains(event.target)) return;
  const takesKeys = event.target.closest("input, button, select, textarea, a[href], [tabindex]");
  closeMenus(!takesKeys);
  if (!takesKeys) event.preventDefault();
});

for (const id of ["cmdcode", "clrfield"]) {
  document.getElementById(id).addEventListener("click", handlers[id]);
}

// A minimum font size set in the browser makes the smallest text larger
// than asked; the whole window then grows by as much, so that every word
// keeps its place and fits its box. Below 5 % it is the face's hinting at
// small sizes, which the boxes allow for.
function fitMinimumFontSize() {
  const probe = document.createElement("span");
  probe.style.cssText = "position: absolute; visibility: hidden; white-space: pre;" +
                        " font-size: var(--smallest-text)";
  probe.textContent = "DD, DD, DD";
  windowElement.append(probe);
  const asked = probe.getBoundingClientRect().width;
  probe.style.fontSize = "calc(10 * var(--smallest-text))";
  const scale = asked / (probe.getBoundingClientRect().width / 10);
  probe.remove();
  if (scale > 1.05) {
    // A touch screen's zoom then makes up only what the words left.
    const zoom = Number(getComputedStyle(windowElement).zoom) || 1;
    windowElement.style.setProperty("--scale", String(scale));
    windowElement.style.zoom = String(Math.max(1, zoom / scale));
  }
}

fitMinimumFontSize();
windowElement.setAttribute("aria-busy", "false");

loaded.then(() => {
  if ("serviceWorker" in navigator && window.isSecureContext) {
    // A newer version, if any, is fetched now, to start at the next visit.
    // A copy cleared behind the page's back is filled again. The worker is
    // asked only then: while it is at work, Chromium holds back a newer
    // version's start.
    navigator.serviceWorker.register("service-worker.js").then(async (registration) => {
      if (!(await caches.match(new URL("index.html", registration.scope)))) {
        registration.active?.postMessage("keep");
      }
      return registration.update();
    }).catch(() => {});
  }
}, (error) => {
  if (typeof WebAssembly !== "object") say(texts.needsWebAssembly);
  else if (error instanceof LoadError) say(fill(texts.notLoaded, error.message));
  else say(fill(texts.notStarted, error));
});
