"""The type of a layer's values."""

import operator


class LayerValue(tuple):
    """A value of a layer: (top, bottom), its values at the top and the bottom of the layer, linear
    in depth between them. Every value of a vorta.Layer reads as one, whether or not it varies.

    A value that is the same at both ends also behaves as that one value: it compares equal to it,
    converts with float() and int(), and formats as it. Arithmetic applies to both ends and gives a
    LayerValue. Assign a layer value a number (the same at both ends) or a pair."""

    __slots__ = ()

    def __new__(cls, top, bottom):
        return super().__new__(cls, (top, bottom))

    @property
    def top(self):
        return self[0]

    @property
    def bottom(self):
        return self[1]

    @property
    def uniform(self):
        """Whether the value is the same at the top and the bottom."""
        return self[0] == self[1]

    def _one(self, what):
        if not self.uniform:
            raise TypeError(f"{what}: the layer value varies from {self[0]!r} to {self[1]!r}; take .top or .bottom")
        return self[0]

    def __float__(self):
        return float(self._one("float()"))

    def __int__(self):
        return int(self._one("int()"))

    def __format__(self, spec):
        return format(self[0], spec) if self.uniform else super().__format__(spec)

    def __eq__(self, other):
        if isinstance(other, (int, float, str)):
            return self.uniform and self[0] == other
        return tuple.__eq__(self, other)

    def __ne__(self, other):
        return not self == other

    __hash__ = tuple.__hash__

    def __str__(self):
        return str(self[0]) if self.uniform else super().__str__()

    # As what one assigns: the one value, or the pair (so that a layer's repr reads back).
    def __repr__(self):
        return repr(self[0]) if self.uniform else repr((self[0], self[1]))

    def _apply(self, op, other, reflected=False):
        if isinstance(other, tuple) and len(other) == 2:
            a, b = other
        elif isinstance(other, (int, float)):
            a = b = other
        else:
            return NotImplemented
        if reflected:
            return LayerValue(op(a, self[0]), op(b, self[1]))
        return LayerValue(op(self[0], a), op(self[1], b))

    def __neg__(self):
        return LayerValue(-self[0], -self[1])


def _binary(op):
    return (lambda self, other: self._apply(op, other), lambda self, other: self._apply(op, other, True))


for _name, _op in (("add", operator.add), ("sub", operator.sub), ("mul", operator.mul), ("truediv", operator.truediv)):
    _forward, _reflected = _binary(_op)
    setattr(LayerValue, f"__{_name}__", _forward)
    setattr(LayerValue, f"__r{_name}__", _reflected)
