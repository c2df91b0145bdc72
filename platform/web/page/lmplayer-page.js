// The page around the player: its options from the page's address, the
// canvas scaled by whole numbers to fit, full screen, sound started by the
// first click or key, the notice line and the player's error messages.
"use strict";

// "?steps=300&input=100:enter" -> ["--steps", "300", "--input", "100:enter"].
// "headless" (or "virtual") asks for virtual time: the run then goes as a
// headless run does, 5 ms per tick, as fast as the page can draw.
function lmPageArguments(search) {
  const args = [];
  let virtualTime = false;
  let data = false;
  for (const [name, value] of new URLSearchParams(search)) {
    if (name === "headless" || name === "virtual") {
      virtualTime = true;
      continue;
    }
    if (name === "data") data = true;
    args.push("--" + name);
    if (value !== "") args.push(value);
  }
  if (!data) args.push("--data", "/demo");
  return { args: args, virtualTime: virtualTime };
}

// The largest whole scale of a w x h frame in a box, counted in device pixels
// so that every frame pixel covers the same number of screen pixels.
function lmPageScale(boxWidth, boxHeight, dpr, w, h) {
  return Math.max(1, Math.min(Math.floor((boxWidth * dpr) / w), Math.floor((boxHeight * dpr) / h)));
}

// The player's settings and saves (the folders its default places name under
// emscripten's home) last in the browser's IndexedDB: read in before the
// player starts, written out after the player writes files there. Without
// IndexedDB (or when the browser refuses it) they last as long as the page.
const lmStorageFolders = ["/home/web_user/.config/lmplayer", "/home/web_user/.local/share/lmplayer"];

function lmPageStorage(Module) {
  const FS = Module.FS;
  const IDBFS = FS.filesystems && FS.filesystems.IDBFS;
  if (!IDBFS || !window.indexedDB) return;
  try {
    for (const dir of lmStorageFolders) {
      FS.mkdirTree(dir);
      FS.mount(IDBFS, {}, dir);
    }
  } catch (e) {
    console.warn("lmplayer: no lasting storage: " + e);
    return;
  }
  // One sync at a time; a request during one runs once it is over.
  let busy = false;
  let again = false;
  Module.lmStored = 0;
  Module.lmStoreFiles = () => {
    if (!Module.lmStorage) return;
    if (busy) {
      again = true;
      return;
    }
    busy = true;
    FS.syncfs(false, (err) => {
      busy = false;
      if (err) console.warn("lmplayer: settings and saves were not stored: " + err);
      else Module.lmStored++;
      if (again) {
        again = false;
        Module.lmStoreFiles();
      }
    });
  };
  Module.addRunDependency("lmplayer-storage");
  FS.syncfs(true, (err) => {
    if (err) console.warn("lmplayer: settings and saves from earlier visits were not read: " + err);
    Module.lmStorage = !err;
    Module.removeRunDependency("lmplayer-storage");
  });
}

(function () {
  const canvas = document.getElementById("screen");
  const stage = document.getElementById("stage");
  const status = document.getElementById("status");
  const sound = document.getElementById("sound");
  const log = document.getElementById("log");
  const page = lmPageArguments(location.search);

  function fit() {
    const dpr = window.devicePixelRatio || 1;
    const scale = lmPageScale(stage.clientWidth, stage.clientHeight, dpr, canvas.width, canvas.height);
    canvas.style.width = (canvas.width * scale) / dpr + "px";
    canvas.style.height = (canvas.height * scale) / dpr + "px";
    canvas.dataset.scale = scale;
  }
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", fit);
  fit();

  document.getElementById("fullscreen").addEventListener("click", () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else stage.requestFullscreen().catch(() => {});
    canvas.focus();
  });
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());

  // Browsers keep an audio context silent until the user does something.
  let gesture = false;
  function startSound() {
    gesture = true;
    const audio = window.Module && Module.lmAudio;
    if (audio && audio.ctx.state !== "running") audio.ctx.resume();
  }
  for (const type of ["keydown", "mousedown", "touchend"]) window.addEventListener(type, startSound, true);

  function showNotice(caption, text) {
    document.getElementById("notice-caption").textContent = caption;
    document.getElementById("notice-text").textContent = text;
    document.getElementById("notice").classList.add("shown");
  }
  document.getElementById("notice-ok").addEventListener("click", () => {
    document.getElementById("notice").classList.remove("shown");
    canvas.focus();
  });

  window.Module = {
    arguments: page.args,
    // An embedding page (or a test) may add files before the player starts:
    // window.lmPagePreRun(FS).
    preRun: [
      () => {
        if (window.lmPagePreRun) window.lmPagePreRun(Module.FS);
      },
      () => lmPageStorage(Module),
    ],
    lmVirtualTime: page.virtualTime,
    print: (line) => console.log(line),
    printErr: (line) => {
      console.warn(line);
      log.textContent += line + "\n";
    },
    setStatus: (text) => {
      if (text) status.textContent = text;
    },
    onAudioOpen: (ctx) => {
      const shown = () => sound.classList.toggle("on", ctx.state === "running");
      ctx.addEventListener("statechange", shown);
      shown();
      if (gesture) ctx.resume();
    },
    onFirstFrame: () => {
      status.textContent = page.virtualTime ? "Playing on virtual time" : "Playing";
      if (page.virtualTime) sound.classList.add("on");
    },
    onNotice: showNotice,
    onPlayerEnded: () => {
      status.textContent = "Ended";
    },
    postRun: [
      () => {
        if (Module.lmFirstFrameMs === undefined && log.textContent) status.textContent = "Could not start:";
      },
    ],
    onAbort: (what) => {
      status.textContent = "Stopped: " + what;
    },
  };
  // The player writes its changed settings and read marks when the page goes.
  document.addEventListener("visibilitychange", () => {
    if (document.visibilityState === "hidden" && Module._lm_page_leaving) Module._lm_page_leaving();
  });
  canvas.focus();
})();
