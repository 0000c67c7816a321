import { serve, launch } from '/work/wt/i31/tests/web/browser.mjs';
const server = await serve({ '': '/tmp/i31-prof/web' });
const browser = await launch();
const context = await browser.createBrowserContext();
const page = await context.newPage();
await page.setViewport({ width: 1024, height: 768 });
const cdp = await page.createCDPSession();
await cdp.send('Profiler.enable');
await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
await cdp.send('Profiler.start');
if (process.argv[2]) await page.emulateNetworkConditions({ download: 4e6 / 8, upload: 4e6 / 8, latency: 40 }); await page.goto(server.url);
await page.waitForFunction(() => window.Module && Module.frames > 0, { timeout: 60000, polling: 20 });
const { profile } = await cdp.send('Profiler.stop');
const marks = await page.evaluate(() => performance.getEntriesByType('mark').map(e => [e.name, Math.round(e.startTime)]));
console.log(JSON.stringify(marks));
// self time per function between first sample and end
const byId = new Map(profile.nodes.map(n => [n.id, n]));
const self = new Map();
const dt = profile.timeDeltas;
profile.samples.forEach((id, i) => { const n = byId.get(id); const k = n.callFrame.functionName || '(' + n.callFrame.url.split('/').pop() + ')'; self.set(k, (self.get(k) || 0) + (dt[i] || 0)); });
// inclusive time: parents
const parent = new Map(); profile.nodes.forEach(n => (n.children || []).forEach(c => parent.set(c, n.id)));
const incl = new Map();
profile.samples.forEach((id, i) => { const seen = new Set(); for (let x = id; x; x = parent.get(x)) { const k = byId.get(x).callFrame.functionName; if (!seen.has(k)) { seen.add(k); incl.set(k, (incl.get(k) || 0) + (dt[i] || 0)); } } });
console.log('self', [...self].sort((a, b) => b[1] - a[1]).slice(0, 25).map(([k, v]) => `${(v / 1000).toFixed(1)} ${k}`).join('\n'));
console.log('incl', [...incl].sort((a, b) => b[1] - a[1]).slice(0, 40).map(([k, v]) => `${(v / 1000).toFixed(1)} ${k}`).join('\n'));
await browser.close(); await server.close();
