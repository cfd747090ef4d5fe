# The Python example of the integrator's guide, taken from the guide as it
# is printed there and run on a demo store: guide, library, store.
import re
import sys

guia, biblioteca, loja = sys.argv[1:4]
exemplo = re.search(r"```python\n(.*?)```", open(guia, encoding="utf-8").read(), re.S).group(1)
sys.argv = ["exemplo.py", biblioteca, "Provider=SQLite;Data Source=" + loja]
exec(compile(exemplo, guia, "exec"), {"__name__": "__main__"})
