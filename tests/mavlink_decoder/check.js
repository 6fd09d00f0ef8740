// What orvanta tells the vehicle's autopilot, read back by an independent MAVLink decoder
// (node-mavlink) on a UDP port of this machine while orvanta --headless tracks a rendered dive.
// Every packet's checksum holds; one pose message per picture; every field equals the pose
// table's row carried into north-east-down by a transform written here from the documented
// frames (for two headings and a turned, offset camera); capture times increase; quality -1
// exactly where the table has no pose; a HEARTBEAT once a second.
//
// Usage: node check.js ORVANTA SCENE WORKDIR
'use strict';

let mavlink;
try {
  mavlink = require('node-mavlink');
} catch (e) {
  console.log('FAILED: node-mavlink is not installed in the build folder: run scripts/setup.sh');
  process.exit(1);
}
const { MavLinkPacketSplitter, MavLinkPacketParser, minimal, common } = mavlink;
const dgram = require('dgram');
const fs = require('fs');
const path = require('path');
const { spawn, spawnSync, execFileSync } = require('child_process');
const { PassThrough } = require('stream');

const [orvanta, scene, work] = process.argv.slice(2);
const REGISTRY = { ...minimal.REGISTRY, ...common.REGISTRY };
const failures = [];
let checks = 0, failed = 0;

function expect(ok, what) {
  ++checks;
  if (!ok && ++failed <= 40) failures.push(what);
  return ok;
}

// --- small linear algebra -------------------------------------------------------------------

const deg = Math.PI / 180;
const mul = (a, b) => a.map((row) => b[0].map((_, j) => row.reduce((s, v, k) => s + v * b[k][j], 0)));
const apply = (m, v) => m.map((row) => row.reduce((s, x, k) => s + x * v[k], 0));
const transpose = (m) => m[0].map((_, j) => m.map((row) => row[j]));
const columns = (...cols) => [0, 1, 2].map((r) => cols.map((c) => c[r]));
const rotX = (a) => [[1, 0, 0], [0, Math.cos(a), -Math.sin(a)], [0, Math.sin(a), Math.cos(a)]];
const rotY = (a) => [[Math.cos(a), 0, Math.sin(a)], [0, 1, 0], [-Math.sin(a), 0, Math.cos(a)]];
const rotZ = (a) => [[Math.cos(a), -Math.sin(a), 0], [Math.sin(a), Math.cos(a), 0], [0, 0, 1]];

function fromQuaternion([w, x, y, z]) {
  return [
    [1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
    [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
    [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)],
  ];
}

// A turn by the rotation vector v (Rodrigues).
function turn(v) {
  const t = Math.hypot(...v);
  if (t === 0) return rotX(0);
  const [x, y, z] = v.map((c) => c / t);
  const k = [[0, -z, y], [z, 0, -x], [-y, x, 0]];
  const k2 = mul(k, k);
  return k.map((row, r) => row.map((_, c) => (r === c ? 1 : 0) + Math.sin(t) * k[r][c] + (1 - Math.cos(t)) * k2[r][c]));
}

// --- the documented frames --------------------------------------------------------------------

// The landmark frame: x at the layout's heading (clockwise from north), y a quarter turn
// anticlockwise of x seen from above, z up. North-east-down columns of its axes.
function landmarkAxesInNed(headingDeg) {
  const h = headingDeg * deg;
  return columns([Math.cos(h), Math.sin(h), 0], [Math.cos(h - Math.PI / 2), Math.sin(h - Math.PI / 2), 0], [0, 0, -1]);
}

// The camera's right, down and forward in body axes (forward, right, down): looking straight
// down, the picture's top to the bow; then turned by roll, pitch, yaw about the body's axes.
function cameraToBody(m) {
  const straightDown = columns([0, 1, 0], [-1, 0, 0], [0, 0, 1]);
  return mul(mul(mul(rotZ(m.yaw * deg), rotY(m.pitch * deg)), rotX(m.roll * deg)), straightDown);
}

// Position north-east-down, roll, pitch, yaw (z-y-x) of the body, from the camera's centre and
// camera-to-landmark rotation.
function bodyState(centre, cameraToLandmark, headingDeg, m) {
  const toNed = landmarkAxesInNed(headingDeg);
  const r = mul(mul(toNed, cameraToLandmark), transpose(cameraToBody(m)));
  const offset = apply(r, m.offset);
  const p = apply(toNed, centre).map((v, i) => v - offset[i]);
  return { r, state: [...p, Math.atan2(r[2][1], r[2][2]), -Math.asin(r[2][0]), Math.atan2(r[1][0], r[0][0])] };
}

// The table's covariance (landmark position, turns about the landmark axes) carried to the
// body's state by a numerical Jacobian.
function bodyCovariance(centre, cameraToLandmark, headingDeg, m, c) {
  const h = 1e-6;
  const at = (d) => bodyState(centre.map((v, i) => v + d[i]), mul(turn(d.slice(3)), cameraToLandmark), headingDeg, m).state;
  const j = [0, 1, 2, 3, 4, 5].map(() => []);
  for (let k = 0; k < 6; ++k) {
    const step = [0, 0, 0, 0, 0, 0];
    step[k] = h;
    const plus = at(step), minus = at(step.map((v) => -v));
    for (let r = 0; r < 6; ++r) {
      let d = plus[r] - minus[r];
      if (r >= 3) d = Math.atan2(Math.sin(d), Math.cos(d));
      j[r][k] = d / (2 * h);
    }
  }
  return mul(mul(j, c), transpose(j));
}

function fromUpperTriangle(values) {
  const c = [0, 1, 2, 3, 4, 5].map(() => Array(6).fill(0));
  let k = 0;
  for (let r = 0; r < 6; ++r) for (let col = r; col < 6; ++col) c[r][col] = c[col][r] = values[k++];
  return c;
}

// --- the run ---------------------------------------------------------------------------------

function readTable(file) {
  const [head, ...rows] = fs.readFileSync(file, 'utf8').trim().split('\n');
  const names = head.split(',');
  return rows.map((line) => Object.fromEntries(line.split(',').map((v, i) => [names[i], v])));
}

function decode(datagrams) {
  const splitter = new MavLinkPacketSplitter();
  const parser = splitter.pipe(new MavLinkPacketParser());
  const packets = [];
  parser.on('data', (p) => {
    const clazz = REGISTRY[p.header.msgid];
    packets.push({ header: p.header, name: clazz.MSG_NAME, data: p.protocol.data(p.payload, clazz) });
  });
  const source = new PassThrough();
  source.pipe(splitter);
  for (const d of datagrams) source.write(d.bytes);
  source.end();
  return new Promise((resolve) => parser.on('end', () => resolve({ packets, splitter })).resume());
}

function track(run) {
  return new Promise((resolve, reject) => {
    const socket = dgram.createSocket('udp4');
    const datagrams = [];
    socket.on('message', (bytes) => datagrams.push({ bytes, at: process.hrtime.bigint() }));
    socket.bind(0, '127.0.0.1', () => {
      const target = `udp:127.0.0.1:${socket.address().port}`;
      const started = process.hrtime.bigint();
      const child = spawn(orvanta, ['--headless', '--camera', run.camera, '--calibration', run.calibration, '--poses', run.poses, '--mavlink', target, ...run.args], { stdio: ['ignore', 'ignore', 'pipe'] });
      let err = '';
      child.stderr.on('data', (d) => (err += d));
      child.on('error', reject);
      child.on('exit', (code) => {
        const seconds = Number(process.hrtime.bigint() - started) / 1e9;
        setTimeout(() => {
          socket.close();
          if (code !== 0) return reject(new Error(`${run.name}: orvanta exited ${code}: ${err}`));
          resolve({ datagrams, seconds });
        }, 300);
      });
    });
  });
}

function near(a, b, tolerance) {
  return Math.abs(a - b) <= tolerance;
}

function checkPose(run, row, data, k) {
  const centre = [+row.x, +row.y, +row.z];
  const rotation = fromQuaternion([+row.qw, +row.qx, +row.qy, +row.qz]);
  const { r, state } = bodyState(centre, rotation, run.heading, run.mounting);
  const where = `${run.name} picture ${k}`;
  const position = [data.x, data.y, data.z];
  expect(position.every((v, i) => near(v, state[i], 2e-6)), `${where}: position ${position} against ${state.slice(0, 3)}`);
  if (run.odometry) {
    const sent = fromQuaternion(data.q);
    expect(sent.every((rowOf, i) => rowOf.every((v, j) => near(v, r[i][j], 1e-5))), `${where}: attitude`);
    expect(+data.quality === +row.quality, `${where}: quality ${data.quality} against ${row.quality}`);
  } else {
    const angles = [data.roll, data.pitch, data.yaw];
    expect(angles.every((v, i) => near(Math.atan2(Math.sin(v - state[3 + i]), Math.cos(v - state[3 + i])), 0, 1e-5)), `${where}: angles ${angles} against ${state.slice(3)}`);
  }
  const names = Object.keys(row).filter((n) => n.startsWith('cov_'));
  const expected = bodyCovariance(centre, rotation, run.heading, run.mounting, fromUpperTriangle(names.map((n) => +row[n])));
  const sentCovariance = fromUpperTriangle(run.odometry ? data.poseCovariance : data.covariance);
  const scale = Math.max(...expected.flat().map(Math.abs));
  expect(expected.every((rowOf, i) => rowOf.every((v, j) => near(sentCovariance[i][j], v, 1e-4 * scale))), `${where}: covariance`);
  return state;
}

function jumped(a, b) {
  const turned = mul(transpose(a.r), b.r);
  const angle = Math.acos(Math.min(1, (turned[0][0] + turned[1][1] + turned[2][2] - 1) / 2));
  return Math.hypot(a.state[0] - b.state[0], a.state[1] - b.state[1], a.state[2] - b.state[2]) > 0.2 || angle > 15 * deg;
}

async function check(run) {
  const { datagrams, seconds } = await track(run);
  const { packets, splitter } = await decode(datagrams);
  const rows = readTable(run.poses);
  expect(splitter.validPackages === datagrams.length && splitter.invalidPackages === 0,
    `${run.name}: ${datagrams.length} datagrams, ${splitter.validPackages} valid, ${splitter.invalidPackages} bad checksum`);
  expect(packets.every((p) => p.header.sysid === run.system && p.header.compid === run.component), `${run.name}: system and component ids`);
  const beats = packets.map((p, i) => ({ p, at: datagrams[i].at })).filter((b) => b.p.name === 'HEARTBEAT');
  const poses = packets.filter((p) => p.name !== 'HEARTBEAT');
  const posed = rows.filter((row) => row.x !== '');
  expect(posed.length > 300 && posed.length < rows.length, `${run.name}: ${posed.length} of ${rows.length} pictures posed`);
  // Heartbeats: one at once, then one a second for as long as the run lasted.
  expect(beats.length >= Math.floor(seconds) && beats.length <= Math.ceil(seconds) + 1, `${run.name}: ${beats.length} heartbeats in ${seconds.toFixed(2)} s`);
  for (let i = 1; i < beats.length; ++i) {
    const gap = Number(beats[i].at - beats[i - 1].at) / 1e9;
    expect(near(gap, 1, 0.25), `${run.name}: heartbeats ${gap.toFixed(3)} s apart`);
  }
  for (const b of beats) {
    const d = b.p.data;
    expect(d.type === 18 && d.autopilot === 8 && d.systemStatus === 4 && d.mavlinkVersion === 3, `${run.name}: heartbeat ${JSON.stringify(d)}`);
  }
  const sent = run.odometry ? rows : posed;
  if (!expect(poses.length === sent.length && poses.every((p) => p.name === run.message), `${run.name}: ${poses.length} ${run.message} for ${sent.length} rows`)) return;
  let last = null, lastTime = -1n, resets = 0;
  poses.forEach((p, k) => {
    const row = sent[k], d = p.data;
    const time = BigInt(run.odometry ? d.timeUsec : d.usec);
    expect(time > lastTime && Number(time) === Math.round(+row.time_s * 1e6), `${run.name} picture ${row.frame}: time ${time} against ${row.time_s} s`);
    lastTime = time;
    if (run.odometry) {
      expect(d.frameId === 20 && d.childFrameId === 12 && d.estimatorType === 2, `${run.name}: frames and estimator type`);
      if (row.x === '') {
        expect(d.quality === -1 && Number.isNaN(d.x) && row.quality === '-1', `${run.name} picture ${row.frame}: no pose, quality ${d.quality}`);
        return;
      }
    }
    const state = checkPose(run, row, d, row.frame);
    const pose = { r: bodyState([+row.x, +row.y, +row.z], fromQuaternion([+row.qw, +row.qx, +row.qy, +row.qz]), run.heading, run.mounting).r, state };
    if (last && jumped(last, pose)) ++resets;
    last = pose;
    expect(d.resetCounter === resets, `${run.name} picture ${row.frame}: reset counter ${d.resetCounter}, ${resets} jumps`);
  });
  console.log(`${run.name}: ${rows.length} pictures, ${posed.length} posed, ${poses.length} ${run.message}, ${beats.length} heartbeats in ${seconds.toFixed(2)} s`);
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  const dive = path.join(work, 'dive'), away = path.join(work, 'away');
  execFileSync(scene, ['--out', dive, '--frames', '400', '--path', 'survey', '--size', '640x480'], { stdio: 'ignore' });
  // Its calibration file cannot be made (no ball in view): the picture is all that is needed.
  spawnSync(scene, ['--out', away, '--frames', '1', '--size', '640x480', '--from', '4,4,1', '--to', '8,9,0.5'], { stdio: 'ignore' });
  // Ten pictures looking away from the balls: no pose there.
  for (let n = 150; n < 160; ++n) fs.copyFileSync(path.join(away, 'frame_00001.png'), path.join(dive, `frame_${String(n).padStart(5, '0')}.png`));
  const layout = (heading) => {
    const file = path.join(work, `layout_${heading}.json`);
    fs.writeFileSync(file, JSON.stringify({ balls: { green: [0, 0, 0], red: [0.7, 0, 0], blue: [0.7, -0.51, 0], yellow: [0, -0.51, 0] }, heading_deg: heading }));
    return file;
  };
  const straightDown = { offset: [0, 0, 0], roll: 0, pitch: 0, yaw: 0 };
  const turned = { offset: [0.25, -0.1, 0.15], roll: 6, pitch: 20, yaw: -35 };
  const base = { camera: path.join(dive, 'frame_%05d.png'), calibration: path.join(dive, 'calibration.json') };
  const runs = [
    { name: 'odometry, heading 0, straight down', heading: 0, mounting: straightDown, odometry: true, message: 'ODOMETRY', system: 1, component: 197, args: [] },
    { name: 'odometry, heading 217, turned camera', heading: 217, mounting: turned, odometry: true, message: 'ODOMETRY', system: 7, component: 191,
      args: ['--layout', layout(217), '--mounting', '0.25,-0.1,0.15,6,20,-35', '--mavlink-system', '7', '--mavlink-component', '191'] },
    { name: 'vision position estimate, heading 90', heading: 90, mounting: turned, odometry: false, message: 'VISION_POSITION_ESTIMATE', system: 1, component: 197,
      args: ['--layout', layout(90), '--mounting', '0.25,-0.1,0.15,6,20,-35', '--mavlink-message', 'vision-position-estimate'] },
  ];
  for (const [i, run] of runs.entries()) await check({ ...base, ...run, poses: path.join(work, `poses_${i}.csv`) });
  for (const f of failures) console.log(`FAILED: ${f}`);
  console.log(`${checks - failed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

main().catch((e) => {
  console.log(`FAILED: ${e.stack || e}`);
  process.exit(1);
});
