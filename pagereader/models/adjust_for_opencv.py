#!/usr/bin/python3
"""Rewrites the text detector and recogniser graphs into forms that OpenCV 4.6's ONNX importer
loads and runs at any input width, with the same arithmetic.

  adjust_for_opencv.py <detector.onnx> <recognizer.onnx> <out-detector> <out-recognizer>

In both, each 5x5 depthwise convolution becomes four 3x3 ones, which OpenCV 4.6 runs on a fast
path. Beyond that the detector only needs its Clip bounds as attributes. The recogniser's sequence part works on
[N, T, C] tensors with 1-D per-channel constants, shapes read at run time, squeezes and means over
the last axis; OpenCV 4.6 fails on the first and bakes the others into the width it imported. That
part is rebuilt in the convolution layout [N, C, 1, T] with the same weights: linear layers as 1x1
convolutions with bias, layer normalisation with its means taken by a 1x1 convolution whose weights
are all 1/C (so the mean arrives on every channel), attention through reshapes with 0 and -1.
"""
import sys

import numpy as np
import onnx
from onnx import helper, numpy_helper


class Graph:
    """A graph's nodes and constants, for local rewrites."""

    def __init__(self, model):
        self.graph = model.graph
        self.constants = {}
        for node in self.graph.node:
            if node.op_type == "Constant":
                self.constants[node.output[0]] = numpy_helper.to_array(node.attribute[0].t)
        for tensor in self.graph.initializer:
            self.constants[tensor.name] = numpy_helper.to_array(tensor)
        self.counter = 0

    def producer(self, name):
        return next((n for n in self.graph.node if name in n.output), None)

    def consumers(self, name):
        return [n for n in self.graph.node if name in n.input]

    def follow(self, name, op_type):
        """The consumer of `name` of type `op_type`; the graph is not the expected one otherwise."""
        users = self.consumers(name)
        for node in users:
            if node.op_type == op_type:
                return node
        sys.exit(f"unexpected graph: {op_type} expected after {name}, found "
                 f"{[n.op_type for n in users]}")

    def scalar(self, name):
        return float(np.asarray(self.constants[name]).reshape(-1)[0])

    def fresh(self, stem):
        self.counter += 1
        return f"adjusted.{stem}.{self.counter}"

    def add_constant(self, array, stem):
        name = self.fresh(stem)
        array = np.asarray(array)
        self.graph.initializer.append(numpy_helper.from_array(array, name))
        self.constants[name] = array
        return name

    def insert(self, nodes, position):
        for offset, node in enumerate(nodes):
            self.graph.node.insert(position + offset, node)

    def rename_input(self, old, new):
        for node in self.graph.node:
            for i, name in enumerate(node.input):
                if name == old:
                    node.input[i] = new

    def remove_dead_nodes(self):
        """Drops nodes and constants nobody reads."""
        outputs = {o.name for o in self.graph.output}
        while True:
            used = set(outputs)
            for node in self.graph.node:
                used.update(node.input)
            dead = [n for n in self.graph.node if not any(o in used for o in n.output)]
            if not dead:
                break
            for node in dead:
                self.graph.node.remove(node)
        for tensor in list(self.graph.initializer):
            if tensor.name not in used:
                self.graph.initializer.remove(tensor)
        del self.graph.value_info[:]


class Emitter:
    """New nodes in the convolution layout, collected in order."""

    def __init__(self, g):
        self.g = g
        self.nodes = []

    def op(self, op_type, inputs, stem, **attributes):
        out = self.g.fresh(stem)
        self.nodes.append(helper.make_node(op_type, inputs, [out], name=out, **attributes))
        return out

    def linear(self, x, weight, bias, stem):
        """x @ weight + bias over the channels; weight is [C_in, C_out]."""
        w = np.ascontiguousarray(weight.T)[:, :, None, None].astype(np.float32)
        inputs = [x, self.g.add_constant(w, stem + ".w"),
                  self.g.add_constant(bias.astype(np.float32), stem + ".b")]
        return self.op("Conv", inputs, stem, kernel_shape=[1, 1])

    def per_channel(self, x, scale, shift, stem):
        """x * scale + shift per channel, as a depthwise 1x1 convolution."""
        c = scale.shape[0]
        w = self.g.add_constant(scale.astype(np.float32).reshape(c, 1, 1, 1), stem + ".w")
        b = self.g.add_constant(shift.astype(np.float32), stem + ".b")
        return self.op("Conv", [x, w, b], stem, kernel_shape=[1, 1], group=c)

    def channel_mean(self, x, channels):
        w = np.full((channels, channels, 1, 1), 1.0 / channels, dtype=np.float32)
        return self.op("Conv", [x, self.g.add_constant(w, "mean.w")], "mean", kernel_shape=[1, 1])

    def reshape(self, x, target, stem):
        shape = self.g.add_constant(np.array(target, dtype=np.int64), stem + ".shape")
        return self.op("Reshape", [x, shape], stem)

    def transpose_last_two(self, x, stem):
        return self.op("Transpose", [x], stem, perm=[0, 1, 3, 2])

    def layer_norm(self, x, norm):
        centred = self.op("Sub", [x, self.channel_mean(x, norm.channels)], "centred")
        variance = self.channel_mean(self.op("Mul", [centred, centred], "squared"), norm.channels)
        eps = self.g.add_constant(np.array(norm.eps, dtype=np.float32), "eps")
        std = self.op("Sqrt", [self.op("Add", [variance, eps], "variance")], "std")
        return self.per_channel(self.op("Div", [centred, std], "normalised"), norm.gamma,
                                norm.beta, "norm")


class LayerNorm:
    """Layer normalisation over the last axis as exported: ReduceMean, Sub, Pow, ReduceMean, Add
    eps, Sqrt, Div, Mul gamma, Add beta."""

    def __init__(self, g, x):
        sub = g.follow(g.follow(x, "ReduceMean").output[0], "Sub")
        var = g.follow(g.follow(sub.output[0], "Pow").output[0], "ReduceMean")
        add_eps = g.follow(var.output[0], "Add")
        div = g.follow(g.follow(add_eps.output[0], "Sqrt").output[0], "Div")
        mul = g.follow(div.output[0], "Mul")
        add = g.follow(mul.output[0], "Add")
        self.eps = g.scalar(add_eps.input[1])
        self.gamma = g.constants[mul.input[1]]
        self.beta = g.constants[add.input[1]]
        self.channels = self.gamma.shape[0]
        self.output = add.output[0]


class Linear:
    """MatMul by a constant followed by the Add of a constant bias."""

    def __init__(self, g, x):
        matmul = g.follow(x, "MatMul")
        add = g.follow(matmul.output[0], "Add")
        self.weight = g.constants[matmul.input[1]]
        self.bias = g.constants[add.input[1]]
        self.output = add.output[0]


def shape_pieces(g, concat):
    """The constant pieces of a reshape target built by Concat; None where read at run time."""
    pieces = []
    for name in concat.input:
        cast = g.producer(name)
        if cast is not None and cast.op_type == "Cast" and cast.input[0] in g.constants:
            pieces.append(int(g.scalar(cast.input[0])))
        else:
            pieces.append(None)
    return pieces


def attention(g, e, x, x_old, norm):
    """One attention half-block starting at the normalisation `norm` of x_old; returns the
    residual's new and old names."""
    normed = e.layer_norm(x, norm)
    qkv = Linear(g, norm.output)
    split = g.follow(qkv.output, "Reshape")  # [N, T, 3, heads, head_dim]
    heads, head_dim = shape_pieces(g, g.producer(split.input[1]))[3:5]
    spread = g.follow(split.output[0], "Transpose")  # [3, N, heads, T, head_dim]
    # The query is the one of the three slices that is scaled before its product with the keys.
    squeezes = [g.follow(s.output[0], "Squeeze") for s in g.consumers(spread.output[0])]
    scale_node = next(n for sq in squeezes for n in g.consumers(sq.output[0]) if n.op_type == "Mul")
    scale = g.scalar(scale_node.input[1])
    weighted = g.follow(g.follow(g.follow(scale_node.output[0], "MatMul").output[0],
                                 "Softmax").output[0], "MatMul")
    merged_old = g.follow(g.follow(weighted.output[0], "Transpose").output[0], "Reshape")
    projection = Linear(g, merged_old.output[0])
    residual_old = g.follow(projection.output, "Add")

    width = heads * head_dim
    parts = [(qkv.weight[:, i * width:(i + 1) * width], qkv.bias[i * width:(i + 1) * width])
             for i in range(3)]
    q = e.linear(normed, parts[0][0] * scale, parts[0][1] * scale, "query")
    k = e.linear(normed, *parts[1], "key")
    v = e.linear(normed, *parts[2], "value")
    q = e.transpose_last_two(e.reshape(q, [0, heads, head_dim, -1], "query.heads"), "query.rows")
    k = e.reshape(k, [0, heads, head_dim, -1], "key.heads")
    v = e.transpose_last_two(e.reshape(v, [0, heads, head_dim, -1], "value.heads"), "value.rows")
    scores = e.op("Softmax", [e.op("MatMul", [q, k], "scores")], "weights", axis=3)
    mixed = e.transpose_last_two(e.op("MatMul", [scores, v], "mixed.rows"), "mixed")
    merged = e.reshape(mixed, [0, width, 1, -1], "merged")
    # Sum of equal shapes: an elementwise layer in OpenCV, not a broadcast.
    x = e.op("Sum", [x, e.linear(merged, projection.weight, projection.bias, "projection")],
             "residual")
    return x, residual_old.output[0]


def feed_forward(g, e, x, norm):
    normed = e.layer_norm(x, norm)
    first = Linear(g, norm.output)
    gate_scale = g.follow(first.output, "Mul")
    swish = g.follow(g.follow(gate_scale.output[0], "Sigmoid").output[0], "Mul")
    if g.scalar(gate_scale.input[1]) != 1.0:
        sys.exit("unexpected graph: swish with a scaled gate")
    second = Linear(g, swish.output[0])
    residual_old = g.follow(second.output, "Add")
    hidden = e.linear(normed, first.weight, first.bias, "hidden")
    activated = e.op("Mul", [hidden, e.op("Sigmoid", [hidden], "gate")], "swish")
    x = e.op("Sum", [x, e.linear(activated, second.weight, second.bias, "output")], "residual")
    return x, residual_old.output[0]


def rebuild_sequence_part(g):
    """Replaces the part between the flatten of the backbone's [N, C, 1, T] output and the
    transpose back into that layout; returns the number of attention blocks."""
    entry = next(n for n in g.graph.node
                 if n.op_type == "Transpose" and list(n.attribute[0].ints) == [0, 2, 1])
    flatten = g.producer(entry.input[0])
    e = Emitter(g)
    x, x_old = flatten.input[0], entry.output[0]
    blocks = 0
    while True:
        norm = LayerNorm(g, x_old)
        if not any(n.op_type == "MatMul" for n in g.consumers(norm.output)):
            break  # the closing normalisation
        x, x_old = attention(g, e, x, x_old, norm)
        x, x_old = feed_forward(g, e, x, LayerNorm(g, x_old))
        blocks += 1
    x = e.layer_norm(x, norm)
    back = g.follow(g.follow(norm.output, "Reshape").output[0], "Transpose")
    g.insert(e.nodes, list(g.graph.node).index(entry) + 1)
    g.rename_input(back.output[0], x)
    return blocks


def rebuild_head(g):
    """Squeeze, transpose and linear layer over the classes become a 1x1 convolution, then a
    reshape to [N, classes, T] and a transpose to [N, T, classes] ahead of the softmax."""
    squeeze = [n for n in g.graph.node if n.op_type == "Squeeze"][-1]
    head = Linear(g, g.follow(squeeze.output[0], "Transpose").output[0])
    softmax = g.follow(head.output, "Softmax")
    e = Emitter(g)
    logits = e.linear(squeeze.input[0], head.weight, head.bias, "classes")
    rows = e.op("Transpose", [e.reshape(logits, [0, 0, -1], "classes.flat")], "classes.rows",
                perm=[0, 2, 1])
    g.insert(e.nodes, list(g.graph.node).index(squeeze))
    softmax.input[0] = rows


def split_wide_depthwise(g):
    """Each 5x5 depthwise convolution becomes four 3x3 ones summed: OpenCV 4.6 runs 3x3 depthwise
    convolutions on a fast path and wider ones through a general one about ten times slower. Each
    3x3 kernel takes one corner of the 5x5 kernel (the middle row and column going to the upper
    and left corners), and asymmetric padding moves it to that corner. Returns how many were
    split."""
    split = 0
    for node in list(g.graph.node):
        if node.op_type != "Conv" or node.input[1] not in g.constants:
            continue
        attributes = {a.name: helper.get_attribute_value(a) for a in node.attribute}
        weight = g.constants[node.input[1]]
        channels = weight.shape[0]
        if (weight.shape[1:] != (1, 5, 5) or attributes.get("group") != channels
                or list(attributes.get("pads", [])) != [2, 2, 2, 2]
                or any(d != 1 for d in attributes.get("dilations", [1, 1]))):
            continue
        strides = list(attributes.get("strides", [1, 1]))
        position = list(g.graph.node).index(node)
        parts = []
        for top, left in ((0, 0), (0, 2), (2, 0), (2, 2)):
            rows = slice(0, 3) if top == 0 else slice(3, 5)
            columns = slice(0, 3) if left == 0 else slice(3, 5)
            corner = np.zeros((channels, 1, 3, 3), dtype=weight.dtype)
            corner[:, :, 3 - (rows.stop - rows.start):, 3 - (columns.stop - columns.start):] = \
                weight[:, :, rows, columns]
            inputs = [node.input[0], g.add_constant(corner, "corner")]
            if not parts and len(node.input) > 2:
                inputs.append(node.input[2])  # the bias, once
            out = g.fresh("corner")
            pad_top, pad_left = 2 - top, 2 - left
            parts.append(helper.make_node(
                "Conv", inputs, [out], name=out, group=channels, kernel_shape=[3, 3],
                strides=strides, pads=[pad_top, pad_left, 2 - pad_top, 2 - pad_left]))
        total = parts[0].output[0]
        sums = []
        for i, part in enumerate(parts[1:]):
            out = node.output[0] if i == len(parts) - 2 else g.fresh("corners")
            sums.append(helper.make_node("Add", [total, part.output[0]], [out], name=out))
            total = out
        g.graph.node.remove(node)
        g.insert(parts + sums, position)
        split += 1
    return split


def adjust_recognizer(model):
    g = Graph(model)
    split_wide_depthwise(g)
    if rebuild_sequence_part(g) == 0:
        sys.exit("unexpected graph: no attention block in the recogniser")
    rebuild_head(g)
    g.remove_dead_nodes()
    # The importer compares the shapes it infers from the declared input: with real sizes the
    # residual sums come out as elementwise layers. Any width runs afterwards.
    dims = g.graph.input[0].type.tensor_type.shape.dim
    dims[0].dim_value, dims[3].dim_value = 1, 320
    onnx.checker.check_model(model)
    return model


def adjust_detector(model):
    g = Graph(model)
    split_wide_depthwise(g)
    for node in g.graph.node:
        if node.op_type != "Clip" or len(node.input) == 1:
            continue
        low, high = g.scalar(node.input[1]), g.scalar(node.input[2])
        del node.input[1:]
        # Attributes as in opset 6 to 10, which is how OpenCV 4.6's importer reads Clip.
        node.attribute.extend([helper.make_attribute("min", low),
                               helper.make_attribute("max", high)])
    g.remove_dead_nodes()
    return model


def main(argv):
    if len(argv) != 5:
        sys.exit(__doc__)
    detector = adjust_detector(onnx.load(argv[1]))
    recognizer = adjust_recognizer(onnx.load(argv[2]))
    onnx.save(detector, argv[3])
    onnx.save(recognizer, argv[4])


if __name__ == "__main__":
    main(sys.argv)
