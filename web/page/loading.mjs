// Loading the build's files: from the server (each kept for the service worker), from the files beside
// a page opened from a disk, or from inside the single-file copy. Every failure says what failed and
// what to do, as a LoadError.
//
// A file the build could shrink comes as gzip too (entry.packed): where the browser can unpack it
// itself, that is fetched and unpacked as it arrives, so a first visit downloads two fifths of the
// bytes on any web server, whether or not it compresses what it sends. A server that does compress it
// (or names it gzip-encoded, so that the browser unpacks it first) only changes how the bytes travel.
import { tr } from './panel.mjs';

export class LoadError extends Error {}

// How files are had: embedded (the single-file copy), fromFile (a page opened from a disk), keep(file,
// response) hands a fetched file to the service worker's cache; counted(bytes) is told of the bytes of
// the files the loading bar counts as they arrive.
export function loader({ embedded, fromFile, keep, counted }) {
  const packing = !embedded && !fromFile && typeof DecompressionStream === 'function';

  function reasonNoFile(file) {
    return fromFile
      ? tr('This page was opened from a file, and this browser does not let such a page read the files ' +
           'beside it ({file}).\n\nOpen calcadia-offline.html from the same folder instead: the whole game ' +
           'in one file, which plays from a USB stick or an e-mail. Or put the folder on a web server.', { file })
      : tr('{file} could not be fetched: the network failed. Check the connection and reload the page.', { file });
  }

  const wrongSize = ({ file, size }, length) => new LoadError(tr('{file} arrived with {length} bytes where ' +
    'the build made {size}: the server holds another build, or the file was cut short. Copy the build again.',
    { file, length, size }));

  // The bytes the loading bar counts for an entry: those that travel.
  const travelling = (entry) => (packing && entry.packed ? entry.packed.size : entry.size);

  // A file of the build from the server.
  async function fetchResponse(file) {
    let response;
    try {
      response = await fetch(file);
    } catch {
      throw new LoadError(reasonNoFile(file));
    }
    if (!response.ok)
      throw new LoadError(tr('The server answered "{status}" for {file}, a file of the game. Copy every file ' +
                             'of the build to the server, then reload.',
                             { status: [response.status, response.statusText].join(' ').trim(), file }));
    keep(file, response.clone());
    return response;
  }

  // The entry's bytes as a stream, unpacked when they come packed, its travelling bytes counted when
  // count is set; a broken network is a LoadError.
  async function stream(entry, count) {
    const file = packing && entry.packed ? entry.packed.file : entry.file;
    const body = (await fetchResponse(file)).body.pipeThrough(new TransformStream({
      transform(chunk, controller) {
        if (count)
          counted(chunk.length);
        controller.enqueue(chunk);
      },
    }));
    return file === entry.file ? body : unpacked(body);
  }

  // A stream whose bytes may be gzip (unpacked here) or already unpacked by the browser (a server that
  // names the file gzip-encoded), told by gzip's first two bytes.
  function unpacked(body) {
    const reader = body.getReader();
    let source = null;
    return new ReadableStream({
      async start() {
        let head = new Uint8Array(0), done = false;
        while (head.length < 2 && !done) {
          const chunk = await reader.read();
          done = chunk.done;
          if (!done)
            head = concat(head, chunk.value);
        }
        const rest = new ReadableStream({
          start(controller) {
            if (head.length)
              controller.enqueue(head);
            if (done)
              controller.close();
          },
          async pull(controller) {
            const chunk = await reader.read();
            if (chunk.done)
              controller.close();
            else
              controller.enqueue(chunk.value);
          },
          cancel: (reason) => reader.cancel(reason),
        });
        const gzip = head[0] === 0x1f && head[1] === 0x8b;
        source = (gzip ? rest.pipeThrough(new DecompressionStream('gzip')) : rest).getReader();
      },
      async pull(controller) {
        const chunk = await source.read();
        if (chunk.done)
          controller.close();
        else
          controller.enqueue(chunk.value);
      },
      cancel: (reason) => source?.cancel(reason),
    });
  }

  function decode(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i)
      bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // A file of the build as bytes, its arrival counted on the loading bar when count is set, and told to
  // arriving(bytes in so far, the file's bytes) as it comes.
  async function fetchFile(entry, count, arriving = () => {}) {
    const { file, size } = entry;
    let bytes;
    if (embedded) {
      bytes = decode(document.getElementById('file:' + file).textContent);
    } else if (fromFile) {
      // Only the older request reads files beside a page opened from a file, where the browser allows it.
      bytes = await new Promise((resolve, reject) => {
        const request = new XMLHttpRequest();
        request.open('GET', file);
        request.responseType = 'arraybuffer';
        request.onload = () => (request.response ? resolve(new Uint8Array(request.response))
                                                 : reject(new LoadError(reasonNoFile(file))));
        request.onerror = () => reject(new LoadError(reasonNoFile(file)));
        request.send();
      });
    } else {
      const reader = (await stream(entry, count)).getReader();
      bytes = new Uint8Array(size);
      let length = 0;
      for (;;) {
        let chunk;
        try {
          chunk = await reader.read();
        } catch {
          throw new LoadError(reasonNoFile(file));
        }
        if (chunk.done)
          break;
        if (length + chunk.value.length > size)
          throw wrongSize(entry, length + chunk.value.length);
        bytes.set(chunk.value, length);
        length += chunk.value.length;
        arriving(length, bytes);
      }
      if (length !== size)
        throw wrongSize(entry, length);
      return bytes;
    }
    if (bytes.length !== size)
      throw wrongSize(entry, bytes.length);
    if (count)
      counted(size);
    arriving(size, bytes);
    return bytes;
  }

  // The module, compiled while it downloads where the browser can (whatever type the server gives it).
  async function compileModule(entry) {
    if (embedded || fromFile || !WebAssembly.compileStreaming)
      return WebAssembly.compile(await fetchFile(entry, true));
    let length = 0, broken = null;
    const checked = new TransformStream({
      transform(chunk, controller) {
        length += chunk.length;
        if (length > entry.size)
          throw (broken = wrongSize(entry, length));
        controller.enqueue(chunk);
      },
      flush() {
        if (length !== entry.size)
          throw (broken = wrongSize(entry, length));
      },
    });
    const body = (await stream(entry, true)).pipeThrough(checked);
    try {
      return await WebAssembly.compileStreaming(new Response(body, { headers: { 'Content-Type': 'application/wasm' } }));
    } catch (error) {
      throw broken || (error instanceof WebAssembly.CompileError ? error : new LoadError(reasonNoFile(entry.file)));
    }
  }

  return { fetchFile, compileModule, travelling };
}

function concat(a, b) {
  const both = new Uint8Array(a.length + b.length);
  both.set(a);
  both.set(b, a.length);
  return both;
}
