package stereo.bench;

import java.util.Arrays;
import stereo.brimlet;

/**
 * Times whole cppGrabImage calls from Java against the simulated camera, next
 * to the floor of a call: copying the prepared row buffer (1280 x 960 pixels
 * x 2 images x 4 bytes), which the camera hands over on every call.
 *
 * <pre>CallBenchmark [ROUNDS [CALLS_PER_ROUND]]</pre>
 *
 * Each configuration is warmed up, then timed in ROUNDS rounds; the median of
 * the rounds' per-call times is reported, with its ratio to the floor's median
 * measured in the same run.
 */
public final class CallBenchmark {
    private static final int ROW_BUFFER_BYTES = 1280 * 960 * 2 * 4;
    private static final long WARM_UP_NANOS = Long.getLong("brimlet.bench.warmUpMillis", 3000) * 1_000_000;

    public static void main(String[] args) {
        int rounds = args.length > 0 ? Integer.parseInt(args[0]) : 31;
        int callsPerRound = args.length > 1 ? Integer.parseInt(args[1]) : 20;
        // The snapshot goes into an existing logging folder only.
        new java.io.File("logging").mkdirs();
        brimlet camera = new brimlet();
        int[] probe = camera.cppGrabImage(null, false, 1);
        int rows = (int) Math.round(Math.sqrt(probe.length / 3 * 3.0 / 4.0));
        String variant = rows + "x" + (probe.length / 3 / rows);

        byte[] from = new byte[ROW_BUFFER_BYTES];
        byte[] to = new byte[ROW_BUFFER_BYTES];
        Arrays.fill(from, (byte) 7);
        double floor = medianMicros(rounds, callsPerRound, () -> System.arraycopy(from, 0, to, 0, ROW_BUFFER_BYTES));

        System.out.printf("| %-7s | %-24s | %12s | %10s |%n", "size", "call", "median us", "x floor");
        System.out.printf("|---------|--------------------------|-------------:|-----------:|%n");
        System.out.printf("| %-7s | %-24s | %12.1f | %10.2f |%n", variant, "row buffer copy (floor)", floor, 1.0);
        Object[][] configurations = {{"RGB", 1, false}, {"HSV", 0, false}, {"HSV + snapshot", 0, true}};
        for (Object[] configuration : configurations) {
            int mode = (Integer) configuration[1];
            boolean snapshot = (Boolean) configuration[2];
            double call = medianMicros(rounds, callsPerRound, () -> camera.cppGrabImage(null, snapshot, mode));
            System.out.printf("| %-7s | %-24s | %12.1f | %10.2f |%n", variant, configuration[0], call, call / floor);
        }
    }

    private static double medianMicros(int rounds, int callsPerRound, Runnable work) {
        // Warm up for a while, not a count: the process's memory settles
        // (allocator thresholds, huge pages) over the first seconds, and a
        // configuration measured early would pay for that.
        long warmUpEnd = System.nanoTime() + WARM_UP_NANOS;
        for (int i = 0; i < 50 || System.nanoTime() < warmUpEnd; i++) {
            work.run();
        }
        double[] perCall = new double[rounds];
        for (int round = 0; round < rounds; round++) {
            long start = System.nanoTime();
            for (int call = 0; call < callsPerRound; call++) {
                work.run();
            }
            perCall[round] = (System.nanoTime() - start) / 1000.0 / callsPerRound;
        }
        Arrays.sort(perCall);
        return perCall[rounds / 2];
    }

    private CallBenchmark() {}
}
