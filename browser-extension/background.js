// Zerlith's tab reporter: tells Zerlith's native-messaging host which tabs every normal window
// holds, again after each change, and selects a tab when Zerlith asks. It reads nothing else.
"use strict";

const api = globalThis.browser ?? globalThis.chrome;
const HOST = "dev.zerlith.tabs";
// Titles and URLs are chosen by web pages: keep a hostile one from swelling every report.
const LONGEST_TITLE = 2048;
const LONGEST_URL = 8192;
// Events come in bursts (a page load updates a tab several times): report once they settle.
const SETTLE_MS = 100;
const RECONNECT_MS = 5000;

let port = null;
let settling = null;

function connect() {
  port = api.runtime.connectNative(HOST);
  port.onMessage.addListener(answer);
  port.onDisconnect.addListener(() => {
    port = null;
    setTimeout(connect, RECONNECT_MS);
  });
  report();
}

async function report() {
  if (!port) return;
  const windows = await api.windows.getAll({ populate: true, windowTypes: ["normal"] });
  port?.postMessage({
    type: "tabs",
    windows: windows.map((window) => ({
      id: window.id,
      tabs: (window.tabs ?? []).map((tab) => ({
        index: tab.index,
        active: tab.active,
        title: (tab.title ?? "").slice(0, LONGEST_TITLE),
        url: (tab.url ?? tab.pendingUrl ?? "").slice(0, LONGEST_URL),
      })),
    })),
  });
}

function reportSoon() {
  clearTimeout(settling);
  settling = setTimeout(report, SETTLE_MS);
}

async function select(request) {
  const [tab] = await api.tabs.query({ windowId: request.windowId, index: request.index });
  if (!tab) return false;
  await api.tabs.update(tab.id, { active: true });
  // A window that cannot take the focus (a headless browser) still shows the tab.
  await api.windows.update(tab.windowId, { focused: true }).catch(() => {});
  return true;
}

async function answer(request) {
  if (request?.type !== "select" || !Number.isInteger(request.windowId) || !Number.isInteger(request.index)) return;
  const ok = await select(request).catch(() => false);
  port?.postMessage({ type: "selected", request: request.request, ok });
}

for (const event of [
  api.tabs.onCreated, api.tabs.onRemoved, api.tabs.onUpdated, api.tabs.onMoved, api.tabs.onActivated,
  api.tabs.onAttached, api.tabs.onDetached, api.tabs.onReplaced,
  api.windows.onCreated, api.windows.onRemoved,
]) {
  event.addListener(reportSoon);
}
connect();
