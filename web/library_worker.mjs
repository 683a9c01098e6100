// The page's side of worker.mjs: each call a promise of its answer. A
// refusal arrives as the RangeError (or Error) the module threw, with its
// message. terminate() ends the worker and rejects what is still waiting.
export class LibraryWorker {
  constructor() {
    this.worker = new Worker(new URL("./worker.mjs", import.meta.url), { type: "module" });
    this.waiting = new Map();
    this.next_id = 0;
    this.worker.onmessage = ({ data }) => this.answer(data);
    this.worker.onerror = (event) => this.fail_all(new Error(event.message ?? "fclimits: the worker failed"));
  }

  // call("limits", [3, 3, 0.9, {}]); on_progress({done, total}) for a table.
  call(name, args, on_progress = () => {}) {
    const id = this.next_id++;
    return new Promise((resolve, reject) => {
      this.waiting.set(id, { resolve, reject, on_progress });
      this.worker.postMessage({ id, call: name, args });
    });
  }

  answer({ id, result, error, progress }) {
    const request = this.waiting.get(id);
    if (request === undefined) return;
    if (progress !== undefined) {
      request.on_progress(progress);
      return;
    }
    this.waiting.delete(id);
    if (error === undefined) {
      request.resolve(result);
    } else {
      const kind = error.name === "RangeError" ? RangeError : Error;
      request.reject(new kind(error.message));
    }
  }

  fail_all(error) {
    for (const request of this.waiting.values()) request.reject(error);
    this.waiting.clear();
  }

  terminate() {
    this.worker.terminate();
    this.fail_all(new Error("fclimits: stopped"));
  }
}
